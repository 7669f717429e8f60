// The converter dialog: construction and its four slots.
#include "ui/Varnel.h"

#include "job/ConversionJob.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

Varnel::Varnel(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    ui.setupUi(this);

    connect(ui.browseShx, &QPushButton::clicked, this, &Varnel::selectShx);
    connect(ui.browseFnt, &QPushButton::clicked, this, &Varnel::selectFnt);
    connect(ui.checkCodePage, &QCheckBox::toggled, this, &Varnel::enableCodePage);
    connect(ui.applyButton, &QPushButton::clicked, this, &Varnel::applyConvert);

    ui.inShxFile->setFocus(Qt::OtherFocusReason);
    ui.codePage->setCurrentIndex(0);
    ui.codePage->setEnabled(false);
    ui.checkCodePage->setChecked(false);
}

Varnel::~Varnel() = default;

void Varnel::applyConvert()
{
    // A fresh job per press: nothing of an earlier conversion carries over.
    ConversionJob job;
    // The box decides, not the combo's enabled state.
    if (ui.checkCodePage->isChecked()) {
        job.useCodePage = true;
        job.codePageIndex = ui.codePage->currentIndex();
    } else {
        job.useCodePage = false;
    }
    // Exactly as typed: the job itself rejects what it cannot use.
    job.shxPath = ui.inShxFile->text();
    job.fntPath = ui.outFntFile->text();
    job.run();
}

void Varnel::enableCodePage()
{
    ui.codePage->setEnabled(ui.checkCodePage->isChecked());
}

void Varnel::selectShx()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Choose SHX file"), lastDir, QStringLiteral("SHX (*.SHX; *.shx);; (*.*)"));
    if (path.isEmpty())
        return;
    lastDir = QFileInfo(path).absolutePath();
    ui.inShxFile->setText(path);
}

void Varnel::selectFnt()
{
    // With no file chosen yet this suggests a file at the root.
    const QString suggestion = lastDir + QStringLiteral("/_font40.fnt");
    const QString path = QFileDialog::getSaveFileName(this, tr("Save FNT file"), suggestion,
                                                      QStringLiteral("FNT (*.fnt)"));
    if (path.isEmpty())
        return;
    lastDir = QFileInfo(path).absolutePath();
    ui.outFntFile->setText(path);
}
