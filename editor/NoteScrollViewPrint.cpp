// Printing and preview of the shown notes, each time through a print layout of their own.
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

#include "editor/NoteScrollView.h"
#include "editor/PrintLayout.h"
#include "ui/MessageBox.h"

int CNoteScrollView::PageCount(const QPrinter& printer) {
    return CPrintLayout(m_view.ShownNotes(), NoteEditor::TextSizeOf(m_textScale), printer)
        .PageCount();
}

void CNoteScrollView::OfferPages(QPrintDialog& dialog, const QPrinter& printer) {
    const int count = std::max(1, PageCount(printer));
    dialog.setMinMax(1, count);
    dialog.setFromTo(1, count);
    // Neither a selection nor "the current page" means anything on paper here.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
}

bool CNoteScrollView::PrintTo(QPrinter& printer, int* pages, std::vector<int>* notePages) {
    CPrintLayout layout(m_view.ShownNotes(), NoteEditor::TextSizeOf(m_textScale), printer);
    return layout.Print(printer, pages, notePages);
}

void CNoteScrollView::PrintAndReport(QPrinter& printer) {
    if (PrintTo(printer)) return;
    const QString file = printer.outputFileName();
    MessageBox::Show(this,
                     file.isEmpty()
                         ? tr("The notes could not be printed: the printer could not be opened.")
                         : tr("The notes could not be printed to \"%1\".").arg(file),
                     QMessageBox::Warning);
}

void CNoteScrollView::PrintWithDialog() {
    if (!m_view.HasNotes()) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    OfferPages(dialog, printer);
    if (dialog.exec() == QDialog::Accepted) PrintAndReport(printer);
}

void CNoteScrollView::PrintDirect() {
    if (!m_view.HasNotes()) return;
    QPrinter printer(QPrinter::HighResolution);
    PrintAndReport(printer);
}

void CNoteScrollView::PrintPreview() {
    if (!m_view.HasNotes()) return;
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintAndReport(*printer); });
    preview.exec();
}
