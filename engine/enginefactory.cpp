#include "engine/enginefactory.h"

#include "core/configfileabstract.h"
#include "core/exception.h"
#include "core/log.h"
#include "engine/enginebuilder.h"
#include "engine/engineprocess.h"

#include <cstdio>

EngineFactory* EngineFactory::s_instance = nullptr;

EngineFactory& EngineFactory::instance()
{
    if (!s_instance)
        s_instance = new EngineFactory();
    return *s_instance;
}

void EngineFactory::destroy()
{
    delete s_instance;
    s_instance = nullptr;
}

void EngineFactory::init(const ConfigFileAbstract* config)
{
    m_engines.clear();
    if (!config)
        return;
    const std::string root = config->getRootPath();
    std::vector<EngineDescriptor> engines;
    for (unsigned i = 0; i < kMaxEntries; ++i) {
        char key[16];
        snprintf(key, sizeof key, "engine_%02u", i);
        const std::string entry = config->readString(key, "");
        if (entry.empty())
            break;
        engines.emplace_back(entry, root);
    }
    m_engines.swap(engines);
}

const char* EngineFactory::getEngineName(unsigned index) const
{
    return index < m_engines.size() ? m_engines[index].getName().c_str() : "";
}

const EngineDescriptor& EngineFactory::getDescriptor(unsigned index) const
{
    if (index >= m_engines.size())
        throw Exception(false, "No engine with index %u (the catalogue has %zu)", index,
                        m_engines.size());
    return m_engines[index];
}

EngineProcess* EngineFactory::createEngine(unsigned index, const EngineSettings& settings) const
{
    const EngineDescriptor& descriptor = getDescriptor(index);
    EngineProcess* engine = EngineBuilder(descriptor, settings).start().release();
    if (g_pLog)
        g_pLog->write(2, Log::Info, "Engine: %s has been created", descriptor.getName().c_str());
    return engine;
}
