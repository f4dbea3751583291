#pragma once

#include <string>

struct EngineInfo;
struct Move;

// Receiver of what a running engine has to say: its chosen move, that it
// resigned or has no move, or that it stopped (exited, crashed, never
// answered). All calls come from the event loop; after engineStopped the
// engine delivers nothing more, and the receiver may delete it (the call is
// not made from inside the process's own signals).
class EngineInterfaceListener {
public:
    virtual ~EngineInterfaceListener() = default;
    virtual void moveFromEngine(const Move& move) = 0;
    // The engine ended the game it was asked about instead of moving:
    // result is "1-0", "0-1" or "1/2-1/2"; message a translated text naming
    // the engine. The engine keeps running.
    virtual void engineResigned(const std::string& result, const std::string& message) = 0;
    // The engine answered that it has no move (message: a translated text).
    virtual void engineHasNoMove(const std::string& message) = 0;
    // message: a translated text for the user naming the engine.
    virtual void engineStopped(const std::string& message) = 0;
    // A UCI engine's progress during a search (only analysis wants it).
    virtual void engineInfo(const EngineInfo& /*info*/) {}
};
