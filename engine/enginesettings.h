#pragma once

// What the caller decides about an engine it starts: the level of the ladder
// (engine/enginelevel.h) and the time limits. Nothing in the engine layer
// reads the configuration; the program passes "engine.timeout" here.
struct EngineSettings {
    // Seconds a request may stay unanswered when "engine.timeout" is not set.
    static constexpr int kDefaultRequestTimeout = 120;
    static constexpr int kDefaultGreetingTimeoutMs = 20000;

    int level = 0;
    // Above 0: the level's options and time bound, searched to this depth.
    int depth = 0;
    // Above 0: a UCI engine searches this long ("go movetime"), without the
    // level's depth; with depth, to that depth within this time.
    int moveTimeMs = 0;
    // Seconds; 0 or less: no limit.
    int requestTimeoutS = kDefaultRequestTimeout;
    int greetingTimeoutMs = kDefaultGreetingTimeoutMs;
};
