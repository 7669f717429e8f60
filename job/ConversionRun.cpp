// run(): one conversion, reported in a message box. The only part of the job
// that needs Qt Widgets.
#include "job/ConversionJob.h"

#include <QMessageBox>

int ConversionJob::run()
{
    const ConversionOutcome outcome = convert();
    // No parent: the box is not a child of the dialog.
    if (outcome == ConversionOutcome::Converted) {
        QMessageBox::information(nullptr, outcomeTitle(outcome), outcomeText(outcome),
                                 QMessageBox::Ok);
        return 0;
    }
    QMessageBox::critical(nullptr, outcomeTitle(outcome), outcomeText(outcome), QMessageBox::Ok);
    return 1;
}
