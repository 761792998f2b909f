#include "ui/Styles.h"

namespace Styles {

const char *const CentralBackground =
    "background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
    "stop:0 #020407,stop:0.5 #151c26 ,stop:1 #283345)";

const char *const WelcomeButton =
    "QPushButton{background-color:rgb(2, 2, 0);color:white;border-radius:15px;"
    "border:3px groove Chocolate;border-style:solid;text-align:left;padding-left:20px;}"
    "QPushButton:hover{background-color:rgb(156, 156, 156);}"
    "QPushButton:pressed{background-color:rgb(156, 156, 156);border:3px groove Chocolate;"
    "border-style:solid;}";

// Only the button whose menu is open has a frame: a hover frame stays on a
// button the pointer left while another menu held it.
const char *const MenuBarButton =
    "QPushButton{border-style:outset;text-align:center;}"
    "QPushButton:open{border:1px groove rgb(153, 157, 169);}"
    "QPushButton:pressed{border:1px groove rgb(153, 157, 169);border-style:inset;}"
    "QPushButton::menu-indicator{image:None;}";

const char *const MenuBar = "background-color: rgb(239, 242, 249);";

const char *const InfoBox =
    "min-width: 200px; min-height: 50px;max-width:200px; max-height: 50px;"
    "border-radius: 20px;  border:2px solid grey;background-color:rgb(156, 156, 156)";

const char *const NoticeButton =
    "min-width: 200px; min-height: 50px; max-height: 50px; padding: 0 16px;"
    "border-radius: 20px;  border:2px solid grey;background-color:rgb(156, 156, 156)";

#define VANTOREL_SLIDER_SHEET(subPageBorder)                                                  \
    "QSlider::groove:horizontal{border:1px solid #4A708B;background:#C0C0C0;height:5px;"    \
    "border-radius:1px;padding-left:-1px;padding-right:-1px;}"                              \
    "QSlider::sub-page:horizontal{background:qlineargradient(x1:0, y1:0, x2:1, y2:0, "      \
    "stop:0 #dd621f, stop:1 #dd621f);border:1px solid " subPageBorder ";height:10px;"       \
    "border-radius:2px;}"                                                                   \
    "QSlider::add-page:horizontal{background:#575757;border:0px solid #777;height:10px;"    \
    "border-radius:2px;}"                                                                   \
    "QSlider::handle:horizontal, QSlider::handle:horizontal:hover{"                         \
    "background:qradialgradient(spread:pad, cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5, "   \
    "stop:0.6 #dd621f, stop:0.778409 rgba(255, 255, 255, 255));width:11px;margin-top:-3px;" \
    "margin-bottom:-3px;border-radius:5px;}"

const char *const SeekSlider = VANTOREL_SLIDER_SHEET("#4A708B") "QSlider{background-color:rgb(0,0,0)};";
const char *const VolumeSlider = VANTOREL_SLIDER_SHEET("#dd621f");
#undef VANTOREL_SLIDER_SHEET

const char *const TimeLabel = "background-color: rgb(0, 0, 0);";
const char *const ControlBar = "background-color: rgb(205, 201, 201);";
// The popups are windows of their own: where no compositor blends them with
// the page (plain X11 window managers), they come out black, and a darker
// highlight would not show there; a light one shows on both.
const char *const DiscMenu =
    "QMenu{background:rgba(0, 0, 0, 80);color: white;menu-scrollable: 1;}"
    "QMenu::item:selected {background-color: rgba(0, 0, 0,120);}"
    "QMenu#discPopup::item:selected {background-color: rgba(255, 255, 255, 60);}"
    "QMenu#discPopup::item {padding: 4px 16px 4px 30px;}"
    "QMenu#discPopup::indicator {width: 16px; height: 16px; left: 8px;}"
    "QMenu#discPopup::indicator:checked {image: url(:/image/dot.png);}";
// The highlighted entry keeps its dark text: the toolkit's own highlighted
// text is white, which cannot be read on this light highlight.
const char *const WhitePopup =
    "QMenu{background:rgba(255, 255, 255, 255);color: black;menu-scrollable: 1;}"
    "QMenu::item:selected {background-color: rgba(0, 0, 0,30);color: black;}"
    "QMenu::item:disabled {color: rgb(118, 118, 118);}";
const char *const Playlist = "border:1px solid rgb(0, 0, 0);";
const char *const Transparent = "background:transparent";

QFont Calibri(int pointSize, bool bold)
{
    QFont font(QStringLiteral("Calibri"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    return font;
}

QPalette WhiteText()
{
    QPalette palette;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText, Qt::white);
    return palette;
}

} // namespace Styles
