#include "engine/enginebuilder.h"

#include "engine/engineprocess.h"
#include "engine/uciprotocol.h"
#include "engine/xboardprotocol.h"

EngineBuilder::EngineBuilder(const EngineDescriptor& descriptor, const EngineSettings& settings)
    : m_descriptor(descriptor), m_settings(settings)
{
}

std::unique_ptr<EngineProtocol> EngineBuilder::protocolFor(int kind, const std::string& name)
{
    if (kind == EngineDescriptor::XBoard)
        return std::make_unique<XBoardProtocol>(name);
    if (kind == EngineDescriptor::UCI)
        return std::make_unique<UciProtocol>(name);
    return nullptr;
}

std::unique_ptr<EngineProcess> EngineBuilder::start() const
{
    std::unique_ptr<EngineProtocol> protocol =
        protocolFor(m_descriptor.getKind(), m_descriptor.getName());
    if (!protocol)
        return nullptr;
    return std::make_unique<EngineProcess>(m_descriptor, std::move(protocol), m_settings);
}
