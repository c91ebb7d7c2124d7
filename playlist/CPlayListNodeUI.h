#pragma once
// One row of the playlist tree: its text, tool tip, colours and the
// attributes of the skin language:
//   "height"                 row height in pixels
//   "inset"                  "l,t,r,b" around the row's contents
//   "itemplayingtextcolor"   "#AARRGGBB" text colour while playing (text is opaque)
//   "itemattr"               valign="top|vcenter|bottom" align="left|center|right" font="n"
//   "folderattr"             the fold button; rows have none, so it is accepted and ignored
//   "itemendellipsis"        "true": a long name ends in "..."
//   "deleteattr"             width="" height="" normalimage="" hotimage="" pushedimage=""
// A row is a value: the tree copies it in and gives it a key.
//
// Threads: UI thread.
#include "playlist/PlayListNodeStyle.h"

#include <QSharedDataPointer>
#include <QString>
#include <cstdint>

class CPlayListNodeUI {
public:
    CPlayListNodeUI();

    // 0xAARRGGBB; text is drawn opaque whatever the alpha byte says.
    void SetItemTextColor(uint32_t argb);
    void SetItemHotTextColor(uint32_t argb);
    void SetSelItemTextColor(uint32_t argb);

    void SetItemText(const QString& text) { text_ = text; }
    const QString& GetItemText() const { return text_; }
    void SetToolTip(const QString& toolTip) { toolTip_ = toolTip; }
    const QString& GetToolTip() const { return toolTip_; }

    // False for an unknown name or a value that cannot be read; the row
    // then keeps what it had.
    bool SetAttribute(const QString& name, const QString& value);

    const PlayListNodeStyle& Style() const { return *style_; }
    bool IsPlaying() const { return playing_; }
    void SetPlaying(bool playing) { playing_ = playing; }
    // A clip that did not play: drawn in the problem colour unless playing.
    bool HasProblem() const { return problem_; }
    void SetProblem(bool problem) { problem_ = problem; }
    // What the clip's track tells (path, recorded span, distance), shown
    // under the tool tip; and whether the row begins another trip than the
    // row above (a thin line marks it).
    const QString& GetTrackDetails() const { return trackDetails_; }
    void SetTrackDetails(const QString& details) { trackDetails_ = details; }
    bool StartsTrip() const { return startsTrip_; }
    void SetStartsTrip(bool starts) { startsTrip_ = starts; }
    // The second camera of the moment of the row above it: drawn indented with a camera mark.
    bool IsPartnerRow() const { return partnerRow_; }
    void SetPartnerRow(bool partner) { partnerRow_ = partner; }
    // Unique within the process, > 0 once the row is in a tree, never reused.
    uint64_t GetKey() const { return key_; }
    void SetKey(uint64_t key) { key_ = key; }

private:
    bool setItemAttr(const QString& value);
    bool setDeleteAttr(const QString& value);

    QSharedDataPointer<PlayListNodeStyle> style_;
    QString text_;
    QString toolTip_;
    QString trackDetails_;
    bool startsTrip_ = false;
    bool partnerRow_ = false;
    bool playing_ = false;
    bool problem_ = false;
    uint64_t key_ = 0;
};
