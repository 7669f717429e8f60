// Varnel: the converter dialog, the program's only window.
#pragma once

#include "ui/VarnelForm.h"

#include <QDialog>
#include <QString>

class Varnel : public QDialog
{
    Q_OBJECT

public:
    explicit Varnel(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~Varnel() override;

public slots:
    void applyConvert();
    void enableCodePage();

private slots:
    void selectShx();
    void selectFnt();

private:
    Ui_VarnelClass ui;
    // Directory of the file last chosen in either file dialog; both start there.
    QString lastDir;
};
