#pragma once

#include "chess/board.h"
#include "chess/move.h"
#include "core/regexpsearcher.h"
#include "engine/engineinterfaceabstract.h"

// Driver for engines speaking the XBoard protocol, version 2. Greets with
// "xboard" and "protover 2"; the first "feature" line makes it ready, as do
// two seconds without features (an engine of the first protocol version, or
// one whose replies are held back until it is asked something). Each
// request is "force", "setboard FEN", the last move and "go"; the depth is
// sent as "sd N" at once whenever it changes ("depth N" to an engine that
// refuses "sd"); a level of the ladder sends its depth and "st" lines the
// same way. The answer is a "move" line, "resign" or a result line. A
// search still running is ended with "?" and "force" before "quit".
class EngineInterfaceXBoard : public EngineInterfaceAbstract {
public:
    enum State { WaitingFeature = 0, Ready = 1 };

    EngineInterfaceXBoard(const EngineDescriptor& descriptor, int depth);
    ~EngineInterfaceXBoard() override;

    void playMove(const Board& position, const Move& last) override;
    void setDepth(int depth) override;
    void setLevel(int level) override;
    void process() override;

    int getState() const { return m_state; }

private:
    void sendRequest(const Board& position, const Move& last) override;

    bool isRefusal() const;
    bool isDepthRefusal() const;
    void becomeReady();
    void onFeatureWaitOver();

    int m_state;
    RegExpSearcher m_movePattern;
    RegExpSearcher m_resultPattern;
    std::string m_lastSent;
    std::string m_depthCommand = "sd";
    QTimer m_featureTimer;
    bool m_heard = false;
};
