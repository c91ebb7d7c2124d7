#include "dialogs/KeyHelpWindow.h"

#include "dialogs/DialogStyle.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dialogs {

namespace {

constexpr const char* kSection = "Main_Interface";

QString text(const ConfigStore& store, const char* key, const char* fallback) {
    const std::string value = store.ReadLanguageString(key, kSection);
    return value.empty() ? QString::fromUtf8(fallback) : QString::fromStdString(value);
}

// Language files come from outside: their texts are shown as they are, never as markup.
QLabel* plainLabel(const QString& value, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(value);
    return label;
}

}  // namespace

QWidget* ShowKeyHelp(QWidget* parent, const ConfigStore& store, const std::vector<KeyHelpRow>& rows) {
    auto* dialog = new QDialog(parent);
    dialog->setObjectName("KeyHelp");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(text(store, "IDS_KEYS_TITLE", "Keys"));
    DialogStyle::apply(*dialog);

    auto* layout = new QVBoxLayout(dialog);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(18);
    int row = 0;
    for (const KeyHelpRow& entry : rows) {
        QLabel* keys = plainLabel(entry.keys, dialog);
        keys->setObjectName("keyHelpKeys");
        grid->addWidget(keys, row, 0);
        grid->addWidget(plainLabel(text(store, entry.textKey, entry.fallback), dialog), row, 1);
        ++row;
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName("btnKeysClose");
    close->setText(text(store, "IDS_KEYS_CLOSE", "Close"));
    close->setIcon(QIcon());
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->open();
    return dialog;
}

}  // namespace dialogs
