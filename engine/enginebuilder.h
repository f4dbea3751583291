#pragma once

#include "engine/enginedescriptor.h"
#include "engine/enginesettings.h"

#include <memory>
#include <string>

class EngineProcess;
class EngineProtocol;

// Starts the engine of a catalogue entry: the protocol of its kind, carried
// by a process of its own, at the settings' level and time limits.
class EngineBuilder {
public:
    EngineBuilder(const EngineDescriptor& descriptor, const EngineSettings& settings);

    // The running engine, or null for the human player. Throws Exception
    // "Couldn't start process %s".
    std::unique_ptr<EngineProcess> start() const;
    // The protocol of an entry's kind (null for the human player).
    static std::unique_ptr<EngineProtocol> protocolFor(int kind, const std::string& name);

private:
    EngineDescriptor m_descriptor;
    EngineSettings m_settings;
};
