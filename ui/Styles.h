#pragma once

#include <QFont>
#include <QPalette>
#include <QString>

// The window's look, in one place.
namespace Styles {

extern const char *const CentralBackground;
extern const char *const WelcomeButton;
extern const char *const MenuBarButton;
extern const char *const MenuBar;
extern const char *const InfoBox;
extern const char *const NoticeButton; // as wide as its text says
extern const char *const SeekSlider;
extern const char *const VolumeSlider;
extern const char *const TimeLabel;
extern const char *const ControlBar;
extern const char *const DiscMenu; // and its popups ("discPopup"): the choice shows a dot
extern const char *const WhitePopup;
extern const char *const Playlist;
extern const char *const Transparent;

// Every font of the window is Calibri (Carlito stands in for it).
QFont Calibri(int pointSize, bool bold);
// A palette whose only setting is white window text.
QPalette WhiteText();

} // namespace Styles
