#pragma once

#include <string>

struct Move;

// Receiver of what a running engine has to say: its chosen move, or that it
// stopped (exited, crashed or never answered). Both calls come from the event
// loop; after engineStopped the engine delivers nothing more, and the receiver
// may delete it (the call is not made from inside the process's own signals).
class EngineInterfaceListener {
public:
    virtual ~EngineInterfaceListener() = default;
    virtual void moveFromEngine(const Move& move) = 0;
    // message: a translated text for the user naming the engine.
    virtual void engineStopped(const std::string& message) = 0;
};
