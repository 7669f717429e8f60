// The converter dialog's widgets, created in a fixed order: the focus chain
// and the layout cells both follow from it.
#include "ui/VarnelForm.h"

#include "job/CodePage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

void Ui_VarnelClass::setupUi(QDialog *dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("VarnelClass"));
    dialog->resize(464, 210);
    dialog->setSizeGripEnabled(false);
    dialog->setModal(true);

    vboxLayout = new QVBoxLayout(dialog);
    vboxLayout->setSpacing(6);
    vboxLayout->setObjectName(QStringLiteral("vboxLayout"));
    vboxLayout->setContentsMargins(8, 8, 8, 8);

    // Upper box: the FNT row is created before the SHX row but sits below it.
    groupBox = new QGroupBox(dialog);
    groupBox->setObjectName(QStringLiteral("groupBox"));
    gridLayout = new QGridLayout(groupBox);
    gridLayout->setSpacing(6);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setContentsMargins(8, 8, 8, 8);

    label_fnt = new QLabel(groupBox);
    label_fnt->setObjectName(QStringLiteral("label_fnt"));
    gridLayout->addWidget(label_fnt, 1, 0, 1, 1);

    inShxFile = new QLineEdit(groupBox);
    inShxFile->setObjectName(QStringLiteral("inShxFile"));
    gridLayout->addWidget(inShxFile, 0, 1, 1, 2);

    outFntFile = new QLineEdit(groupBox);
    outFntFile->setObjectName(QStringLiteral("outFntFile"));
    outFntFile->setFocusPolicy(Qt::StrongFocus);
    gridLayout->addWidget(outFntFile, 1, 1, 1, 2);

    label_shx = new QLabel(groupBox);
    label_shx->setObjectName(QStringLiteral("label_shx"));
    gridLayout->addWidget(label_shx, 0, 0, 1, 1);

    browseFnt = new QPushButton(groupBox);
    browseFnt->setObjectName(QStringLiteral("browseFnt"));
    gridLayout->addWidget(browseFnt, 1, 3, 1, 1);

    browseShx = new QPushButton(groupBox);
    browseShx->setObjectName(QStringLiteral("browseShx"));
    // Enter in a line edit opens the SHX chooser rather than converting.
    browseShx->setDefault(true);
    gridLayout->addWidget(browseShx, 0, 3, 1, 1);

    vboxLayout->addWidget(groupBox);

    // Lower box: the form layout's label column stays empty; row 1 is a gap.
    groupBox_2 = new QGroupBox(dialog);
    groupBox_2->setObjectName(QStringLiteral("groupBox_2"));
    group_2 = new QFormLayout(groupBox_2);
    group_2->setObjectName(QStringLiteral("group_2"));
    group_2->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    group_2->setHorizontalSpacing(3);
    group_2->setVerticalSpacing(3);
    group_2->setContentsMargins(3, 3, 6, 3);

    gridLayout_5 = new QGridLayout();
    gridLayout_5->setSpacing(0);
    gridLayout_5->setObjectName(QStringLiteral("gridLayout_5"));

    label_code_page = new QLabel(groupBox_2);
    label_code_page->setObjectName(QStringLiteral("label_code_page"));
    gridLayout_5->addWidget(label_code_page, 1, 0, 1, 1);

    // Item order is the code page index the job receives. Only item 0 is
    // translated (in retranslateUi); the others are code page names.
    codePage = new QComboBox(groupBox_2);
    for (const CodePageInfo &info : kCodePages)
        codePage->addItem(QString::fromLatin1(info.item));
    codePage->setObjectName(QStringLiteral("codePage"));
    codePage->setEnabled(true);
    gridLayout_5->addWidget(codePage, 1, 1, 1, 1);

    gridLayout_5->setColumnStretch(0, 1);
    gridLayout_5->setColumnStretch(1, 3);
    group_2->setLayout(2, QFormLayout::FieldRole, gridLayout_5);

    checkCodePage = new QCheckBox(groupBox_2);
    checkCodePage->setObjectName(QStringLiteral("checkCodePage"));
    checkCodePage->setChecked(false);
    group_2->setWidget(0, QFormLayout::FieldRole, checkCodePage);

    vboxLayout->addWidget(groupBox_2);

    // Button row: a spacer pushes Apply and Cancel to the right.
    group_1 = new QHBoxLayout();
    group_1->setSpacing(6);
    group_1->setObjectName(QStringLiteral("group_1"));
    group_1->setContentsMargins(0, 0, 0, 0);
    spacerItem = new QSpacerItem(131, 31, QSizePolicy::Expanding, QSizePolicy::Minimum);
    group_1->addItem(spacerItem);

    applyButton = new QPushButton(dialog);
    applyButton->setObjectName(QStringLiteral("applyButton"));
    applyButton->setEnabled(true);
    group_1->addWidget(applyButton);

    cancelButton = new QPushButton(dialog);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    group_1->addWidget(cancelButton);

    vboxLayout->addLayout(group_1);

    // Each call moves its second widget right behind the first; the widgets
    // not named here keep their creation order after "Cancel".
    QWidget::setTabOrder(inShxFile, browseShx);
    QWidget::setTabOrder(browseShx, outFntFile);
    QWidget::setTabOrder(outFntFile, browseFnt);
    QWidget::setTabOrder(browseFnt, cancelButton);

    retranslateUi(dialog);

    QObject::connect(cancelButton, &QPushButton::clicked, dialog, &QDialog::reject);

    QMetaObject::connectSlotsByName(dialog);
}

void Ui_VarnelClass::retranslateUi(QDialog *dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("VarnelClass", "Font Converter"));
    groupBox->setTitle(QCoreApplication::translate("VarnelClass", "Convert SHX to FNT"));
    label_fnt->setText(QCoreApplication::translate("VarnelClass", "Output FNT file"));
    label_shx->setText(QCoreApplication::translate("VarnelClass", "Input SHX file"));
    browseFnt->setText(QCoreApplication::translate("VarnelClass", "Browse"));
    browseShx->setText(QCoreApplication::translate("VarnelClass", "Browse"));
    groupBox_2->setTitle(QCoreApplication::translate("VarnelClass", "Options"));
    label_code_page->setText(QCoreApplication::translate("VarnelClass", "Code Page"));
    codePage->setItemText(0, QCoreApplication::translate("VarnelClass", "Unicode (default)"));
#if QT_CONFIG(tooltip)
    checkCodePage->setToolTip(QString());
#endif
    checkCodePage->setText(
        QCoreApplication::translate("VarnelClass", "Specify code page (only used for BigFont)"));
    applyButton->setText(QCoreApplication::translate("VarnelClass", "Apply"));
    cancelButton->setText(QCoreApplication::translate("VarnelClass", "Cancel"));
}
