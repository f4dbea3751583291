#pragma once

#include <QSize>

#include <memory>

class ChessQt;

// The application inside the start-up frame of main, in its fixed order:
//   assemble_services()     after the version line: translations, the engine
//                           and board-font catalogues, the board fonts;
//   open_main_window()      after the style sheet: the main window with the
//                           last game base open and the start game shown;
//   release_catalogues()    first step of the shutdown (also after an error);
//   release_translations()  after the configuration is written back.
// Every step may throw Exception; main reports it with one critical box.
void assemble_services();
std::unique_ptr<ChessQt> open_main_window(const QSize& windowSize);
void release_catalogues();
void release_translations();
