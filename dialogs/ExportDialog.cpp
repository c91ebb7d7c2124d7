#include "dialogs/ExportDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>

ExportDialog::ExportDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Export"));
    auto* form = new QFormLayout(this);
    start_ = new QDoubleSpinBox(this);
    start_->setRange(0.0, 24.0 * 3600.0);
    start_->setDecimals(1);
    start_->setSuffix(tr(" s into the clip"));
    length_ = new QDoubleSpinBox(this);
    length_->setRange(1.0, 600.0);
    length_->setDecimals(0);
    length_->setSuffix(tr(" s"));
    overlay_ = new QCheckBox(tr("Burn the date, speed, position and G into the video"), this);
    overlay_->setChecked(true);
    form->addRow(tr("Start"), start_);
    form->addRow(tr("Length"), length_);
    form->addRow(tr("Channels"), new QLabel(tr("The clip played"), this));
    form->addRow(overlay_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void ExportDialog::SetStretch(double startSeconds, double lengthSeconds) {
    start_->setValue(startSeconds);
    length_->setValue(lengthSeconds);
}

double ExportDialog::StartSeconds() const {
    return start_->value();
}

double ExportDialog::LengthSeconds() const {
    return length_->value();
}

bool ExportDialog::Overlay() const {
    return overlay_->isChecked();
}
