#pragma once

#include "game/lexscanner.h"

// Holds the one process-wide PGN scanner.
class PGNLexScannerFactory {
public:
    // The scanner, created on first use.
    static lex::Scanner* instanse();
    // Deletes the scanner; the next instanse() creates a new one.
    static void destroy();

private:
    static lex::Scanner* s_scanner;
};
