#include "views/boardfontdescriptor.h"

#include "core/exception.h"
#include "core/trans.h"
#include "core/utils.h"

#include <vector>

namespace {
const char kInvalid[] = N_("Invalid font description: %s [File: %s, Line: %d]");
}

BoardFontDescriptor::BoardFontDescriptor(const std::string& description, const std::string& root)
{
    std::vector<std::string> fields;
    splitInVector(description, "|", fields);
    if (fields.size() < 4)
        throw Exception(true, translated(kInvalid), description.c_str(), "BoardFontDescriptor", 16);

    const std::string kindText = vacuum(fields[0]);
    if (kindText == "TTF")
        kind = TrueType;
    else if (kindText == "BMP")
        kind = Bitmap;
    else
        throw Exception(true, translated(kInvalid), description.c_str(), "BoardFontDescriptor", 31);

    name = vacuum(fields[1]);
    family = vacuum(fields[2]);
    file = root + "/" + vacuum(fields[3]);
}
