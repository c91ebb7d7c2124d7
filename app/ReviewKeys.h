#pragma once
// The keys for reviewing footage, and the play panel's speed, camera-layout
// and key-list buttons: one table says which key does what; Press looks a key up and
// does it through the playback controller, the handler sequences, the
// window's widgets and the trip review (the events of the trip). Enter, Escape and F8 stay with the main window; they
// are listed here only for the key list.
//
// A key the table knows counts as used, so the main window keeps it from
// the focused control (the playlist, the map): no key acts twice.
//
// Threads: UI thread only. Made by the main window after the dispatcher;
// holds references only, and does nothing once the dispatcher is shut down.
#include "app/MainDispatcher.h"
#include "app/TripReview.h"
#include "config/ConfigStore.h"
#include "dialogs/KeyHelpWindow.h"
#include "player/PlaybackControl.h"

#include <QPointer>
#include <QString>
#include <Qt>
#include <vector>

class QAbstractButton;
namespace ui {
class CXMLWnd;
}

class ReviewKeys {
public:
    enum class Action {
        PlayPause,
        Seek,    // amount: seconds, signed
        Volume,  // amount: signed change
        Mute,
        PreviousClip,
        NextClip,
        ClipStart,
        ClipEnd,
        Slower,
        Faster,
        NormalSpeed,
        FrameBack,
        FrameForward,
        ShowKeys,
        NextEvent,
        PreviousEvent,
        NextLayout,
        LargeCamera,  // amount: the car's camera, 1 to 6 (front, back, repeaters, pillars)
    };
    struct Binding {
        int key;  // Qt::Key
        Qt::KeyboardModifiers modifiers;
        Action action;
        int amount;
    };

    static constexpr int kSeekSeconds = 5;
    static constexpr int kShortSeekSeconds = 1;
    static constexpr int kLongSeekSeconds = 30;
    static constexpr int kVolumeStep = 5;
    static constexpr const char* kSpeedButton = "btnSpeed";
    static constexpr const char* kKeysButton = "btnKeys";
    static constexpr const char* kLayoutButton = "btnLayout";

    static const std::vector<Binding>& Table();
    // The key list's rows, in the order shown.
    static const std::vector<dialogs::KeyHelpRow>& HelpRows();
    // The binding of a press, or nullptr. Shift does not count on keys
    // whose character needs it on some layouts ("?", "[", ".").
    static const Binding* Find(int key, Qt::KeyboardModifiers modifiers);
    // "1×", "0.25×": the speed as the play panel shows it.
    static QString SpeedText(double factor);

    ReviewKeys(PlaybackControl& controller, MainDispatcher& dispatcher, ui::CXMLWnd& window, const ConfigStore& store,
               const TripReview& trips);

    // True when the key is one of the table's (acted on or not).
    bool Press(int key, Qt::KeyboardModifiers modifiers);
    // The play panel's speed and key-list buttons; other names are not ours.
    void OnClick(const QString& controlName);
    // A click on the picture (fractions of it): a car's camera tile becomes the large one.
    void OnVideoClick(double x, double y);

private:
    void act(const Binding& binding);
    void playPause();
    void seekBy(int seconds);
    void changeVolume(int change);
    void setSpeed(double factor);
    void stepFrame(bool forward);
    // The next way the cameras of a moment share the picture, kept in the settings.
    void nextLayout();
    // A car's camera (1 to 6) shown large: the grid gives way to the strip.
    void largeCamera(int number);
    void makeLarge(cameras::CameraChannel channel);
    void showKeys();
    // Plays from a little before the next or previous event of the trip,
    // also in another clip of it.
    void jumpToEvent(bool forward);

    PlaybackControl& controller_;
    MainDispatcher& dispatcher_;
    ui::CXMLWnd& window_;
    const ConfigStore& store_;
    const TripReview& trips_;
    QPointer<QAbstractButton> speedButton_;
    QPointer<QWidget> keyHelp_;
};
