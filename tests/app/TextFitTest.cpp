// Every text of every language fits: the main window at its smallest size,
// with the longest values the panel and the play time show, and the windows
// with most text, the settings and the clear-playlist question.
#include "support/ShellInstallation.h"
#include "config/LanguageTable.h"
#include "dialogs/CDuiCleanTipWnd.h"
#include "dialogs/CDuiSettingWnd.h"
#include "dialogs/ModalDialog.h"

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace {

TrackRecord widestRecord() {
    TrackRecord r;
    r.valid = true;
    r.year = 2026;
    r.month = 12;
    r.day = 28;
    r.hour = 23;
    r.minute = 58;
    r.second = 58;
    r.longitudeHemisphere = 'W';
    r.longitudeDegrees = 178;
    r.longitudeMinutes = 58;
    r.longitudeSeconds = 58.88f;
    r.latitudeHemisphere = 'S';
    r.latitudeDegrees = 88;
    r.latitudeMinutes = 58;
    r.latitudeSeconds = 58.88f;
    r.speed = 288.8f;
    return r;
}

// Why a shown label's text does not fit in it, or empty.
QString cut(const QLabel& label) {
    if (label.text().isEmpty() || !label.isVisibleTo(label.window())) return {};
    const QRect room = label.contentsRect();
    const QFontMetrics metrics = label.fontMetrics();
    if (label.wordWrap()) {
        if (label.heightForWidth(label.width()) > label.height()) return "wrapped text is taller than the label";
        return {};
    }
    const QRect needed = metrics.boundingRect(room, int(label.alignment()), label.text());
    if (needed.width() > room.width()) return QString("needs %1 px, has %2").arg(needed.width()).arg(room.width());
    if (metrics.height() > room.height())
        return QString("needs %1 px high, has %2").arg(metrics.height()).arg(room.height());
    return {};
}

// A dialog lays itself out to its texts: every label, button and list that
// fits its entries gets the room its text asks for.
void expectDialogFits(ui::CXMLWnd& dialog, QWidget* owner, const char* name) {
    ASSERT_TRUE(ModalDialog::Prepare(dialog, owner, name));
    dialog.show();
    QApplication::processEvents();
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        auto* label = qobject_cast<QLabel*>(w);
        auto* combo = qobject_cast<QComboBox*>(w);
        if (label && label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << name << " " << label->text().toStdString();
        } else if (label || qobject_cast<QAbstractButton*>(w) ||
                   (combo && combo->sizeAdjustPolicy() == QComboBox::AdjustToContents)) {
            EXPECT_GE(w->width(), w->sizeHint().width()) << name << " " << w->objectName().toStdString();
        }
    }
    dialog.Close(ui::IDCANCEL);
}

TEST(TextFit, EveryLanguageFitsTheSmallestWindowAndTheDialogs) {
    ShellInstallation install;
    for (const LanguageRow& row : LanguageTable::rows()) {
        const std::string file(row.fileName);
        install.program.write("conf/sysconfig/" + file, ShellInstallation::readSource("conf/sysconfig/" + file));
    }
    auto window = install.startWindow();
    ASSERT_NE(window, nullptr);
    window->resize(window->minimumSize());
    CViewManager& view = *window->ViewManager();

    for (const LanguageRow& row : LanguageTable::rows()) {
        const std::string file(row.fileName);
        SCOPED_TRACE(file);
        window->Config()->languageFile = file;
        window->Store()->SetLanguageFilePath(window->Store()->languageFolder() + file);
        view.RelabelMainTexts();
        view.StartPlayTime(99 * 3600 + 58 * 60 + 58);
        view.UpdatePlayTime(88 * 3600 + 58 * 60 + 58);
        // With a fix, then without: the status words differ in length.
        for (const bool fix : {true, false}) {
            fix ? view.ShowRecord(widestRecord()) : view.ShowNoFix();
            // Each nested layout takes its own turn.
            for (int turn = 0; turn < 4; ++turn) QApplication::processEvents();
            ASSERT_EQ(window->size(), window->minimumSize());
            for (const QLabel* label : window->findChildren<QLabel*>()) {
                EXPECT_EQ(cut(*label).toStdString(), "")
                    << label->objectName().toStdString() << ": " << label->text().toStdString();
            }
        }

        CDuiSettingWnd settings(CDuiSettingWnd::kSkinFile, *window->Config(), *window->Store(), [] {
            return std::vector<std::string>{"Autoselect device", "Built-in Audio"};
        });
        expectDialogFits(settings, window.get(), CDuiSettingWnd::kWindowName);
        CDuiCleanTipWnd clean(CDuiCleanTipWnd::kSkinFile, *window->Config(), *window->Store());
        expectDialogFits(clean, window.get(), CDuiCleanTipWnd::kWindowName);
    }
}

}  // namespace
