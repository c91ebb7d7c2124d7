#include "dialogs/VerifyWindow.h"

#include "dialogs/DialogText.h"
#include "evidence/SealChecks.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString text(const ConfigStore& store, std::string_view key, const char* english) {
    const QString read = DialogText::read(store, key, DialogText::kMainSection);
    return read.isEmpty() ? QString::fromUtf8(english) : read;
}

}  // namespace

VerifyWindow* VerifyWindow::Open(const ConfigStore& store, QWidget* parent, const QString& folder) {
    QString chosen = folder;
    if (chosen.isEmpty())
        chosen =
            QFileDialog::getExistingDirectory(parent, text(store, "IDS_VERIFY_TITLE", "Verify an evidence folder"));
    if (chosen.isEmpty()) return nullptr;
    auto* window = new VerifyWindow(store, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->start(chosen);
    window->QDialog::show();
    return window;
}

VerifyWindow::VerifyWindow(const ConfigStore& store, QWidget* parent) : QDialog(parent), store_(store) {
    setWindowTitle(text(store, "IDS_VERIFY_TITLE", "Verify an evidence folder"));
    auto* layout = new QVBoxLayout(this);
    outcome_ = new QLabel(text(store, "IDS_VERIFY_RUNNING", "Verifying…"), this);
    outcome_->setTextFormat(Qt::PlainText);
    lines_ = new QPlainTextEdit(this);  // plain text: names from the folder are never markup
    lines_->setReadOnly(true);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    lines_->setMinimumSize(640, 320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    if (const QString name = DialogText::read(store, "IDS_KEYS_CLOSE", DialogText::kMainSection); !name.isEmpty())
        buttons->button(QDialogButtonBox::Close)->setText(name);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(outcome_);
    layout->addWidget(lines_);
    layout->addWidget(buttons);
}

VerifyWindow::~VerifyWindow() {
    verifier_.stop();
    if (worker_.joinable()) worker_.join();
}

void VerifyWindow::start(const QString& folder) {
    const std::string path = folder.toStdString();
    SealChecks::add(verifier_, path, "");
    worker_ = std::thread([this, path] {
        const VerifyChecks checks = verifier_.verify(path, "Veltara DVR Player: verify " + path);
        // Dropped by Qt when the window went first (its destructor joined this thread meanwhile).
        QMetaObject::invokeMethod(
            this, [this, checks] { showChecks(checks); }, Qt::QueuedConnection);
    });
}

void VerifyWindow::showChecks(const VerifyChecks& checks) {
    QString shown;
    int failed = 0;
    for (const VerifyCheck& check : checks) {
        if (!check.holds) ++failed;
        shown += (check.holds ? QStringLiteral("holds  ") : QStringLiteral("FAILS  ")) +
                 QString::fromStdString(check.subject) + QStringLiteral(": ") + QString::fromStdString(check.detail) +
                 QLatin1Char('\n');
    }
    lines_->setPlainText(shown);
    allHold_ = EvidenceVerifier::allHold(checks);
    outcome_->setText(allHold_ ? text(store_, "IDS_VERIFY_HOLDS", "Everything holds.")
                               : text(store_, "IDS_VERIFY_FAILS", "%1 of %2 checks fail.")
                                     .arg(failed)
                                     .arg(static_cast<int>(checks.size())));
    finished_ = true;
}

QString VerifyWindow::Lines() const {
    return lines_->toPlainText();
}
