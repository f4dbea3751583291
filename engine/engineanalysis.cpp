#include "engine/engineanalysis.h"

#include "core/trans.h"
#include "engine/engineanswer.h"
#include "engine/enginefactory.h"
#include "engine/engineprocess.h"
#include "engine/enginesettings.h"

EngineAnalysis::EngineAnalysis(QObject* parent) : QObject(parent) {}

EngineAnalysis::~EngineAnalysis()
{
    if (m_engine)
        m_engine->setListener(nullptr);
    m_engine.reset();
}

void EngineAnalysis::start(unsigned index, const EngineSettings& settings)
{
    finish();
    m_engine.reset(EngineFactory::instance().createEngine(index, settings));
    if (!m_engine)
        return;
    m_name = m_engine->getName();
    m_engine->setListener(this);
}

void EngineAnalysis::analyse(const Board& position, const Move& last)
{
    if (!m_engine)
        return;
    m_asked = position;
    if (!last.isNull())
        m_asked.doMove(last);
    m_scored = false;
    m_info = EngineInfo();
    m_engine->playMove(position, last);
}

void EngineAnalysis::stop()
{
    finish();
}

std::string EngineAnalysis::engineName() const
{
    return m_name;
}

void EngineAnalysis::engineInfo(const EngineInfo& info)
{
    // A mate found at a low depth stays the answer's score.
    m_info = info;
    m_scored = true;
}

void EngineAnalysis::moveFromEngine(const Move& answer)
{
    Move best = answer;
    if (!legal_engine_answer(m_asked, best)) {
        finish();
        emit failed(QString::fromUtf8(translated("Engine error: invalid move")));
        return;
    }
    if (!m_scored) {
        finish();
        emit failed(QString::fromStdString("The engine " + m_name + " gave no evaluation."));
        return;
    }
    Moves line = legal_line(m_asked, m_info.pv);
    if (line.empty() || !(line.front() == best))
        line.assign(1, best);
    emit analysed(m_info, line);
}

void EngineAnalysis::engineResigned(const std::string&, const std::string& message)
{
    engineStopped(message);
}

void EngineAnalysis::engineHasNoMove(const std::string& message)
{
    engineStopped(message);
}

void EngineAnalysis::engineStopped(const std::string& message)
{
    const QString text = QString::fromStdString(message);
    finish();
    emit failed(text);
}

void EngineAnalysis::finish()
{
    if (!m_engine)
        return;
    m_engine->setListener(nullptr);
    // Deleted from the event loop: it may be inside its own output handling.
    m_engine.release()->deleteLater();
}

Moves legal_line(const Board& position, const std::vector<std::string>& line)
{
    Moves moves;
    Board board = position;
    for (const std::string& text : line) {
        Move move;
        if (!move.setFromString(text) || !legal_engine_answer(board, move))
            break;
        moves.push_back(move);
        board.doMove(move);
    }
    return moves;
}
