#include "core/transqt.h"

#include "core/trans.h"

QString trans(const QString& text)
{
    if (!g_pTrans)
        return text;
    const std::string english = text.toUtf8().toStdString();
    return QString::fromUtf8(g_pTrans->translate(english).c_str());
}
