#pragma once

#include <QString>

// The translation of a user-interface text for the widgets; unchanged without a table.
QString trans(const QString& text);
