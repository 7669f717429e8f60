// Ui_VarnelClass: the converter dialog's widget tree, written by hand in the
// shape of a form-compiler holder so the order of construction is ours.
#pragma once

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QCheckBox;
class QComboBox;
class QDialog;
class QFormLayout;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpacerItem;
class QVBoxLayout;
QT_END_NAMESPACE

// Non-owning pointers: every widget belongs to the dialog, every nested
// layout to the layout it sits in.
class Ui_VarnelClass
{
public:
    QVBoxLayout *vboxLayout = nullptr;
    QGroupBox *groupBox = nullptr;
    QGridLayout *gridLayout = nullptr;
    QLabel *label_fnt = nullptr;
    QLineEdit *inShxFile = nullptr;
    QLineEdit *outFntFile = nullptr;
    QLabel *label_shx = nullptr;
    QPushButton *browseFnt = nullptr;
    QPushButton *browseShx = nullptr;
    QGroupBox *groupBox_2 = nullptr;
    QFormLayout *group_2 = nullptr;
    QGridLayout *gridLayout_5 = nullptr;
    QLabel *label_code_page = nullptr;
    QComboBox *codePage = nullptr;
    QCheckBox *checkCodePage = nullptr;
    QHBoxLayout *group_1 = nullptr;
    QSpacerItem *spacerItem = nullptr;
    QPushButton *applyButton = nullptr;
    QPushButton *cancelButton = nullptr;

    void setupUi(QDialog *dialog);
    void retranslateUi(QDialog *dialog);
};

namespace Ui {
class VarnelClass : public Ui_VarnelClass
{
};
} // namespace Ui
