#include "dialogs/ExportDialog.h"

#include "config/ConfigStore.h"
#include "dialogs/DialogText.h"
#include "evidence/EvidenceRequest.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <utility>

namespace {

constexpr std::string_view kSealSection = "Export";

}  // namespace

ExportDialog::ExportDialog(const ConfigStore& store, bool insetOffered, QWidget* parent, bool shownOffered)
    : QDialog(parent), store_(store) {
    const auto text = [&store](std::string_view key) { return DialogText::read(store, key, DialogText::kMainSection); };
    setWindowTitle(text("IDS_EXPORT_TITLE"));
    auto* form = new QFormLayout(this);
    start_ = new QDoubleSpinBox(this);
    start_->setRange(0.0, 24.0 * 3600.0);
    start_->setDecimals(1);
    start_->setSuffix(text("IDS_EXPORT_START_UNIT"));
    length_ = new QDoubleSpinBox(this);
    length_->setRange(1.0, 600.0);
    length_->setDecimals(0);
    length_->setSuffix(text("IDS_EXPORT_SECONDS"));
    overlay_ = new QCheckBox(text("IDS_EXPORT_OVERLAY"), this);
    overlay_->setChecked(true);
    // The language file's texts are shown as they stand, never as markup.
    const auto label = [this](const QString& value) {
        auto* shown = new QLabel(value, this);
        shown->setTextFormat(Qt::PlainText);
        return shown;
    };
    form->addRow(label(text("IDS_EXPORT_START")), start_);
    form->addRow(label(text("IDS_EXPORT_LENGTH")), length_);
    if (shownOffered) {
        shown_ = new QCheckBox(text("IDS_EXPORT_AS_SHOWN"), this);
        shown_->setObjectName("ExportAsShown");
        shown_->setChecked(store.ReadConfigInt(1, kAsShownKey) != 0);
        form->addRow(label(text("IDS_EXPORT_CHANNELS")), shown_);
    } else if (insetOffered) {
        inset_ = new QCheckBox(text("IDS_EXPORT_INSET"), this);
        inset_->setChecked(true);
        form->addRow(label(text("IDS_EXPORT_CHANNELS")), inset_);
    } else {
        form->addRow(label(text("IDS_EXPORT_CHANNELS")), label(text("IDS_EXPORT_MAIN")));
    }
    form->addRow(overlay_);
    signKey_ = new QLineEdit(QString::fromStdString(store.ReadConfigString("", "SignKey", kSealSection)), this);
    signKey_->setObjectName("ExportSignKey");
    signCert_ = new QLineEdit(QString::fromStdString(store.ReadConfigString("", "SignCert", kSealSection)), this);
    signCert_->setObjectName("ExportSignCert");
    password_ = new QLineEdit(this);
    password_->setObjectName("ExportKeyPassword");
    password_->setEchoMode(QLineEdit::Password);
    timestamp_ = new QCheckBox(text("IDS_EXPORT_TIMESTAMP"), this);
    timestamp_->setObjectName("ExportTimestampRequest");
    timestamp_->setChecked(store.ReadConfigInt(0, "TimestampRequest", kSealSection) != 0);
    form->addRow(label(text("IDS_EXPORT_SIGN_KEY")), signKey_);
    form->addRow(label(text("IDS_EXPORT_SIGN_CERT")), signCert_);
    form->addRow(label(text("IDS_EXPORT_KEY_PASSWORD")), password_);
    form->addRow(timestamp_);
    originals_ = new QCheckBox(text("IDS_EXPORT_ORIGINALS"), this);
    originals_->setChecked(store.ReadConfigInt(0, kOriginalsKey) != 0);
    form->addRow(originals_);
    // Free text for the report; bounded as the report bounds it.
    const auto line = [this]() {
        auto* edit = new QLineEdit(this);
        edit->setMaxLength(static_cast<int>(EvidenceRequest::kMaxFieldBytes / 4));
        return edit;
    };
    const auto named = [&text](std::string_view key, const char* english) {
        const QString name = text(key);
        return name.isEmpty() ? QString::fromUtf8(english) : name;
    };
    case_ = line();
    vehicle_ = line();
    note_ = line();
    form->addRow(label(named("IDS_EXPORT_CASE", "Case")), case_);
    form->addRow(label(named("IDS_EXPORT_VEHICLE", "Vehicle")), vehicle_);
    form->addRow(label(named("IDS_EXPORT_NOTE", "Note")), note_);
    zoneFormat_ = named("IDS_EXPORT_ZONE", "Times are written in %1");
    zone_ = label(zoneFormat_.arg(QStringLiteral("UTC")));
    form->addRow(zone_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Qt's own button texts are English: the language file names them.
    for (const auto& [button, key] : {std::pair{QDialogButtonBox::Ok, "IDS_OK"}, {QDialogButtonBox::Cancel, "IDS_CANCEL"}}) {
        if (const QString name = text(key); !name.isEmpty()) buttons->button(button)->setText(name);
    }
    // The numbers take the language's decimal sign, as the panel's do.
    QLocale numbers = text("IDS_DECIMAL") == u"," ? QLocale(QLocale::German) : QLocale::c();
    numbers.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    start_->setLocale(numbers);
    length_->setLocale(numbers);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void ExportDialog::SetStretch(double startSeconds, double lengthSeconds, bool earlier) {
    start_->setMinimum(earlier ? -600.0 : 0.0);
    start_->setValue(startSeconds);
    length_->setValue(lengthSeconds);
    // As the boxes hold them (rounded to their decimals).
    proposedStart_ = start_->value();
    proposedLength_ = length_->value();
}

bool ExportDialog::Changed() const {
    return start_->value() != proposedStart_ || length_->value() != proposedLength_;
}

double ExportDialog::StartSeconds() const {
    return start_->value();
}

double ExportDialog::LengthSeconds() const {
    return length_->value();
}

bool ExportDialog::Originals() const {
    return originals_->isChecked();
}

bool ExportDialog::Overlay() const {
    return overlay_->isChecked();
}

bool ExportDialog::AsShown() const {
    return shown_ && shown_->isChecked();
}

bool ExportDialog::Inset() const {
    return inset_ && inset_->isChecked();
}

std::string ExportDialog::SignKey() const {
    return signKey_->text().trimmed().toStdString();
}

std::string ExportDialog::SignCert() const {
    return signCert_->text().trimmed().toStdString();
}

std::string ExportDialog::KeyPassword() const {
    return password_->text().toStdString();
}

bool ExportDialog::TimestampRequest() const {
    return timestamp_->isChecked();
}

void ExportDialog::Remember() const {
    store_.WriteConfigString(SignKey(), "SignKey", kSealSection);
    store_.WriteConfigString(SignCert(), "SignCert", kSealSection);
    store_.WriteConfigInt(TimestampRequest() ? 1 : 0, "TimestampRequest", kSealSection);
}

void ExportDialog::ShowZone(const QString& zone) {
    zone_->setText(zoneFormat_.arg(zone));
}

QString ExportDialog::ZoneLine() const {
    return zone_->text();
}

std::string ExportDialog::CaseReference() const {
    return case_->text().toStdString();
}

std::string ExportDialog::Vehicle() const {
    return vehicle_->text().toStdString();
}

std::string ExportDialog::Note() const {
    return note_->text().toStdString();
}
