#pragma once

#include "engine/enginedescriptor.h"
#include "engine/enginesettings.h"

#include <vector>

class ConfigFileAbstract;
class EngineProcess;

// The catalogue of opponents, read from the "engine_%02d" entries of the
// configuration. An opponent is its index here; index 0 is by convention the
// human player at the device.
class EngineFactory {
public:
    static constexpr unsigned kMaxEntries = 100;

    static EngineFactory& instance();
    static void destroy();

    // Fills the catalogue from engine_00, engine_01, ... up to the first empty
    // value. Throws the parse error of a bad entry; the catalogue is then empty.
    void init(const ConfigFileAbstract* config);

    // The entry's name, or "" outside the catalogue.
    const char* getEngineName(unsigned index) const;
    unsigned getEngineCount() const { return static_cast<unsigned>(m_engines.size()); }
    // Throws a non-critical Exception outside the catalogue.
    const EngineDescriptor& getDescriptor(unsigned index) const;

    // The running engine of the entry (owned by the caller, started by
    // EngineBuilder), or null for a human entry. Throws a non-critical
    // Exception outside the catalogue or when the engine cannot be started.
    EngineProcess* createEngine(unsigned index, const EngineSettings& settings) const;

private:
    EngineFactory() = default;
    EngineFactory(const EngineFactory&) = delete;
    EngineFactory& operator=(const EngineFactory&) = delete;

    std::vector<EngineDescriptor> m_engines;
    static EngineFactory* s_instance;
};
