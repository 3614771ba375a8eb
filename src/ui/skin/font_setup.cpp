#include "ui/skin/font_setup.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace quen::ui {

bool install_program_fonts() {
    bool tahoma = QFontDatabase::families().contains(QStringLiteral("Tahoma"));
    if (!tahoma) {
        for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            if (QFile::exists(file) && QFontDatabase::addApplicationFont(file) >= 0) tahoma = true;
        }
    }
    // Explicit, so a machine whose fontconfig has other aliases measures alike.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    return tahoma;
}

}  // namespace quen::ui
