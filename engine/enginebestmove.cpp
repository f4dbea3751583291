#include "engine/enginebestmove.h"

#include "core/trans.h"
#include "engine/engineanswer.h"
#include "engine/enginedescriptor.h"
#include "engine/enginefactory.h"
#include "engine/enginelevel.h"
#include "engine/engineprocess.h"

EngineBestMove::EngineBestMove(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &EngineBestMove::onTimeout);
}

EngineBestMove::~EngineBestMove() = default;

int EngineBestMove::defaultEngine(const EngineFactory& catalogue)
{
    for (unsigned i = 0; i < catalogue.getEngineCount(); ++i)
        if (catalogue.getDescriptor(i).getKind() == EngineDescriptor::UCI)
            return static_cast<int>(i);
    return -1;
}

int EngineBestMove::hintEngine(int index, const EngineFactory& catalogue)
{
    if (index >= 0 && static_cast<unsigned>(index) < catalogue.getEngineCount() &&
        catalogue.getDescriptor(static_cast<unsigned>(index)).getKind() != EngineDescriptor::Human)
        return index;
    return defaultEngine(catalogue);
}

void EngineBestMove::start(unsigned index, const Board& position, const Move& last, int level)
{
    cancel();
    m_asked = position;
    if (!last.isNull())
        m_asked.doMove(last);
    level = EngineLevel::clamp(level);
    EngineSettings settings;
    settings.level = level;
    m_engine.reset(EngineFactory::instance().createEngine(index, settings));
    if (!m_engine)
        return;
    m_engine->setListener(this);
    m_engine->playMove(position, last);
    m_timer.start(EngineLevel::forXBoard(level).seconds() * 1000 + kGraceMs);
}

void EngineBestMove::cancel()
{
    m_timer.stop();
    if (m_engine)
        m_engine->setListener(nullptr);
    m_engine.reset();
}

void EngineBestMove::moveFromEngine(const Move& answer)
{
    Move move = answer;
    finish();
    if (legal_engine_answer(m_asked, move))
        emit found(move);
    else
        emit failed(QString::fromUtf8(translated("Engine error: invalid move")));
}

void EngineBestMove::engineResigned(const std::string&, const std::string& message)
{
    engineStopped(message);
}

void EngineBestMove::engineHasNoMove(const std::string& message)
{
    engineStopped(message);
}

void EngineBestMove::engineStopped(const std::string& message)
{
    // The text belongs to the engine deleted here.
    const QString text = QString::fromStdString(message);
    finish();
    emit failed(text);
}

void EngineBestMove::onTimeout()
{
    if (!m_engine)
        return;
    std::string text = translated("The engine %s does not answer.");
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, m_engine->getName());
    cancel();
    emit failed(QString::fromStdString(text));
}

void EngineBestMove::finish()
{
    m_timer.stop();
    if (!m_engine)
        return;
    m_engine->setListener(nullptr);
    // Deleted from the event loop: it may be inside its own output handling.
    m_engine.release()->deleteLater();
}
