#pragma once

#include <QIcon>
#include <QString>

// The icons and pictures compiled into the program (resources/make_images.py draws them).
//
// Menu icons:  ":/icons/<KEY>.png" (16 px) and ":/icons/32/<KEY>.png" (32 px) for the keys
//              HELP ADRESS DSNEW DSDEL DSFIND DSEDIT DSSAVE OPENFILE NEWFILE FIND CUT PRINTSETUP
//              PAGESETUP DEL COPY EXIT TABOP SORTASC SORTDES PASTE PRINT.
//              PRINTSETUP shows a page layout and PAGESETUP a printer with a cog: the pictures
//              follow the menu entries the two keys belong to.
// Pictures:    ":/pictures/header_left.png" (sun) and ":/pictures/header_right.png" (block
//              house), 64 x 64, the main window's header; ":/pictures/tarvex.png" (64 x 64) and
//              ":/pictures/tarvex_256.png", the program icon; ":/pictures/about_rainbow.png"
//              (64 x 64), the about box's second picture.
//              The options dialog's pictures: ":/pictures/font_bold.png" and
//              ":/pictures/font_italic.png" with their "_off" forms (20 x 20), whether a list font
//              is bold or italic; ":/pictures/page_portrait.png" and
//              ":/pictures/page_landscape.png" (48 x 48), the paper's orientation.
//
// Linking tarvex_resources registers them; no initialisation call is needed.
namespace TarvexResources {

inline QString headerLeftPicture() {
    return QStringLiteral(":/pictures/header_left.png");
}
inline QString headerRightPicture() {
    return QStringLiteral(":/pictures/header_right.png");
}
inline QString programPicture() {
    return QStringLiteral(":/pictures/tarvex.png");
}
inline QString aboutPicture() {
    return QStringLiteral(":/pictures/about_rainbow.png");
}

inline QString boldPicture(bool bold) {
    return bold ? QStringLiteral(":/pictures/font_bold.png")
                : QStringLiteral(":/pictures/font_bold_off.png");
}
inline QString italicPicture(bool italic) {
    return italic ? QStringLiteral(":/pictures/font_italic.png")
                  : QStringLiteral(":/pictures/font_italic_off.png");
}
inline QString portraitPicture() {
    return QStringLiteral(":/pictures/page_portrait.png");
}
inline QString landscapePicture() {
    return QStringLiteral(":/pictures/page_landscape.png");
}

// ":/icons/<key>.png" for 16 px, ":/icons/32/<key>.png" for 32 px.
QString menuIconPath(const QString& key, int size = 16);

// The menu icon with both sizes; a null icon for an empty or unknown key.
QIcon menuIcon(const QString& key);

// The program's window icon (64 and 256 px).
QIcon programIcon();

} // namespace TarvexResources
