#include "qt/dialoglists.h"

#include "app/engineturn.h"
#include "app/screenlayout.h"
#include "core/transqt.h"
#include "engine/enginefactory.h"

#include <QComboBox>

QStringList engine_names()
{
    QStringList names;
    const EngineFactory& factory = EngineFactory::instance();
    for (unsigned i = 0; i < factory.getEngineCount(); ++i)
        names << trans(QString::fromUtf8(factory.getEngineName(i)));
    return names;
}

QStringList promotion_pieces()
{
    return {trans(QStringLiteral("Queen")), trans(QStringLiteral("Rook")),
            trans(QStringLiteral("Bishop")), trans(QStringLiteral("Knight"))};
}

QStringList next_puzzle_delays()
{
    return {trans(QStringLiteral("Off")), QStringLiteral("1s"), QStringLiteral("2s")};
}

int stored_index(const QComboBox* box)
{
    return box->currentIndex() < 0 ? 0 : box->currentIndex();
}

namespace {
QStringList to_list(const std::vector<std::string>& texts)
{
    QStringList list;
    for (const std::string& text : texts)
        list << QString::fromUtf8(text.c_str());
    return list;
}
} // namespace

QStringList engine_levels()
{
    QStringList list;
    for (const std::string& text : EngineTurn::get_levels())
        list << trans(QString::fromUtf8(text.c_str()));
    return list;
}

QStringList history_sizes()
{
    return to_list(ScreenLayout::get_history_sizes());
}
