#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "core/regexpsearcher.h"
#include "engine/engineprotocol.h"

// The XBoard protocol, version 2. Greets with "xboard" and "protover 2"; the
// first "feature" line makes it ready, as does featureWaitOver (an engine of
// the first protocol version, or one whose replies are held back until it is
// asked something). Each request is "force", "setboard FEN", the last move
// and "go"; the level's depth and time lines go out at once whenever the
// level changes ("depth N" instead of "sd N" to an engine that refuses "sd").
// With the game clocks set, "level", "time" and "otim" go before "go" (the
// level's depth still bounds the search). The answer is a "move" line (castling may come as "O-O"),
// "resign" or a result line. A search is ended with "?" and "force".
class XBoardProtocol : public EngineProtocol {
public:
    enum State { WaitingFeature = 0, Ready = 1 };
    // How long the features are awaited, as the protocol says.
    static constexpr int kFeatureWaitMs = 2000;

    explicit XBoardProtocol(const std::string& name);

    void start() override;
    void setLevel(int level) override;
    bool isReady() const override { return m_state == Ready; }
    int featureWaitMs() const override { return kFeatureWaitMs; }
    void featureWaitOver() override;
    void stopSearch() override;
    bool answersStop(const std::string& line) const override;
    void afterStop() override;

    int getState() const { return m_state; }

protected:
    void handleLine(const std::string& line) override;
    void sendRequest(const Board& position, const Move& last) override;

private:
    bool isRefusal(const std::string& line) const;
    bool isDepthRefusal(const std::string& line) const;
    void sendLevel();
    void becomeReady();

    int m_state = WaitingFeature;
    bool m_started = false;
    RegExpSearcher m_movePattern;
    RegExpSearcher m_answerPattern;
    RegExpSearcher m_resultPattern;
    std::string m_lastSent;
    std::string m_depthCommand = "sd";
    bool m_clockSent = false;
};
