#include "game/pgnlexscannerfactory.h"

#include "game/pgnlexscanner.h"

lex::Scanner* PGNLexScannerFactory::s_scanner = nullptr;

lex::Scanner* PGNLexScannerFactory::instanse()
{
    if (s_scanner == nullptr)
        s_scanner = new PGNLexScanner();
    return s_scanner;
}

void PGNLexScannerFactory::destroy()
{
    delete s_scanner;
    s_scanner = nullptr;
}
