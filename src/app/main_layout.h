#pragma once
// The main window's layout: its size, the identifiers of its controls, where
// each lies and which skin picture it is drawn from. A negative x puts the
// control's right edge that many pixels left of the window's right edge, a
// negative y its bottom edge above the window's bottom edge.
#include <QRect>

namespace quen::app {

constexpr int kWindowWidth = 984;
constexpr int kWindowHeight = 674;

enum ControlId : int {
    kIdClose = 1000,
    kIdMinimise = 1001,
    kIdTree = 1003,
    kIdList = 1004,
    kIdProgress = 1005,
    kIdRecover = 1010,
    kIdMenu = 1024,
    kIdHome = 1029,
    kIdHelp = 1031,
    kIdBack = 1032,
    kIdRefresh = 1033,
    kIdPause = 1034,
    kIdResume = 1035,
    kIdStop = 1036,
};

// Menu commands.
enum MenuCommand : int {
    kMenuAbout = 104,
    kMenuExit = 105,
    kMenuHome = 32771,
    kMenuHelp = 32775,
    kMenuUpdate = 32777,
    kMenuOpenImage = 32780,
};

struct ButtonPlace {
    int id;
    const char* picture;
    int frames;
    int x, y;
    bool shown;  // at start
    const char* name;  // what it says to a screen reader and in its tooltip
};

inline constexpr ButtonPlace kButtons[] = {
    {kIdClose, "close.png", 4, -8, 5, true, "Close"},
    {kIdMinimise, "min.png", 4, -29, 5, true, "Minimise"},
    {kIdMenu, "menu.png", 3, -50, 5, true, "Menu"},
    {kIdHelp, "btn_help.png", 4, -90, 5, true, "Support"},
    {kIdHome, "btn_home.png", 4, -120, 5, true, "Home page"},
    {kIdBack, "back.png", 4, 280, 50, false, "Back"},
    {kIdRecover, "recover.png", 4, 360, 50, false, "Recover"},
    {kIdPause, "pause.png", 4, 440, 50, false, "Pause"},
    {kIdResume, "resume.png", 4, 440, 50, false, "Resume"},
    {kIdStop, "stop_toolbar.png", 4, 520, 50, false, "Stop"},
    {kIdRefresh, "refresh.png", 4, -30, -35, true, "Refresh"},
};

// The toolbar labels under their buttons: centred texts 80 wide at y 90. They
// are as high as their text, so they never cover the list below them.
struct LabelPlace {
    int button;
    const char* text;
    int x;
};
inline constexpr LabelPlace kLabels[] = {
    {kIdBack, "Back", 260}, {kIdRecover, "Recover", 340}, {kIdPause, "Pause", 420},
    {kIdResume, "Resume", 420}, {kIdStop, "Stop", 500},
};
constexpr int kLabelY = 90;
constexpr int kLabelWidth = 80;
constexpr int kLabelHeight = 22;

inline const QRect kTreePlace{1, 32, 221, 597};
inline const QRect kListPlace{225, 119, 517, 508};
inline const QRect kPreviewPlace{743, 120, 240, 507};
inline const QRect kProgressPlace{20, 639, 940, 20};
// Over the toolbar's hint, right of the Stop label.
inline const QRect kNoticePlace{572, 37, 406, 78};
constexpr int kListRowHeight = 30;
// Where the connect page draws its animation and pictures (785 x 331).
inline const QRect kPictureRect{QPoint(120, 230), QSize(785, 331)};
// The help link, and where the menu opens.
inline const QPoint kHelpLinkAt{380, 540};
inline const QPoint kMenuAt{884, 32};

}  // namespace quen::app
