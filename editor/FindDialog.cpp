#include "editor/FindDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/MessageBox.h"

namespace {

// Shows the wait cursor for a scope.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

QString NotFoundText() {
    return CFindDialog::tr("The specified text was not found.");
}

}  // namespace

CFindDialog::CFindDialog(NoteLayoutEngine::CNoteView& view, QWidget* parent)
    : QDialog(parent), m_logic(view) {
    setWindowTitle(tr("Find & Replace"));
    setModal(false);
    m_findWhat = new QLineEdit(this);
    m_replaceWith = new QLineEdit(this);
    auto* findLabel = new QLabel(tr("Fi&nd what:"), this);
    findLabel->setBuddy(m_findWhat);
    m_replaceLabel = new QLabel(tr("Re&place with:"), this);
    m_replaceLabel->setBuddy(m_replaceWith);
    m_wholeWord = new QCheckBox(tr("Match &whole word only"), this);
    m_matchCase = new QCheckBox(tr("Match &case"), this);
    m_findNext = new QPushButton(tr("&Find Next"), this);
    m_findNext->setDefault(true);
    m_replace = new QPushButton(tr("&Replace"), this);
    m_replaceAll = new QPushButton(tr("Replace &All"), this);
    m_close = new QPushButton(tr("Close"), this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_findWhat, 0, 1);
    grid->addWidget(m_findNext, 0, 2);
    grid->addWidget(m_replaceLabel, 1, 0);
    grid->addWidget(m_replaceWith, 1, 1);
    grid->addWidget(m_replace, 1, 2);
    auto* checks = new QVBoxLayout;
    checks->addWidget(m_wholeWord);
    checks->addWidget(m_matchCase);
    grid->addLayout(checks, 2, 0, 2, 2);
    grid->addWidget(m_replaceAll, 2, 2);
    grid->addWidget(m_close, 3, 2);

    connect(m_findWhat, &QLineEdit::textChanged, this, [this] {
        m_logic.ForgetLastMatch();
        UpdateButtons();
    });
    connect(m_findNext, &QPushButton::clicked, this, &CFindDialog::FindNext);
    connect(m_replace, &QPushButton::clicked, this, &CFindDialog::ReplaceOne);
    connect(m_replaceAll, &QPushButton::clicked, this, &CFindDialog::ReplaceAll);
    connect(m_close, &QPushButton::clicked, this, &QDialog::hide);
    auto* findKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    connect(findKey, &QShortcut::activated, this, [this] { Show(true, QString()); });
    auto* replaceKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), this);
    connect(replaceKey, &QShortcut::activated, this, [this] { Show(false, QString()); });
    auto* nextKey = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(nextKey, &QShortcut::activated, this, [this] {
        if (HasSearchText()) FindNext();
    });
    SetLayout(false);
    UpdateButtons();
}

bool CFindDialog::HasSearchText() const {
    return !m_findWhat->text().isEmpty();
}

void CFindDialog::UpdateButtons() {
    const bool any = HasSearchText();
    m_findNext->setEnabled(any);
    m_replace->setEnabled(any);
    m_replaceAll->setEnabled(any);
}

void CFindDialog::SetLayout(bool find) {
    m_findLayout = find;
    setWindowTitle(find ? tr("Find") : tr("Find and Replace"));
    m_replace->setVisible(!find);
    m_replaceAll->setVisible(!find);
    m_replaceWith->setVisible(!find);
    m_replaceLabel->setVisible(!find);
    adjustSize();
}

void CFindDialog::Show(bool find, const QString& initial) {
    if (find != m_findLayout) SetLayout(find);
    if (!initial.isEmpty()) {
        m_findWhat->setText(initial);
        m_findWhat->selectAll();
    }
    show();
    raise();
    activateWindow();
    m_logic.ForgetLastMatch();
    m_findWhat->setFocus();
}

void CFindDialog::ShowFind() {
    Show(true, QString::fromStdU16String(m_logic.InitialSearchText()));
}

void CFindDialog::ShowFindReplace() {
    Show(false, QString::fromStdU16String(m_logic.InitialSearchText()));
}

void CFindDialog::FindNext() {
    CWaitCursor wait;
    switch (m_logic.FindNext(m_findWhat->text().toStdU16String(), m_matchCase->isChecked(),
                             m_wholeWord->isChecked())) {
        case CFindReplace::Outcome::NoSearchText:
            MessageBox::Show(this, tr("Please specify what to search for."));
            break;
        case CFindReplace::Outcome::NotFound:
            MessageBox::Show(this, NotFoundText());
            break;
        case CFindReplace::Outcome::Found:
            break;
    }
}

void CFindDialog::ReplaceOne() {
    const auto outcome = m_logic.ReplaceOne(m_findWhat->text().toStdU16String(),
                                            m_replaceWith->text().toStdU16String(),
                                            m_matchCase->isChecked(), m_wholeWord->isChecked());
    if (outcome == CFindReplace::Outcome::NoSearchText) {
        MessageBox::Show(this, tr("Please specify what to search for."));
    } else if (outcome == CFindReplace::Outcome::NotFound) {
        MessageBox::Show(this, NotFoundText());
    }
}

void CFindDialog::ReplaceAll() {
    CWaitCursor wait;
    const int count = m_logic.ReplaceAll(m_findWhat->text().toStdU16String(),
                                         m_replaceWith->text().toStdU16String(),
                                         m_matchCase->isChecked(), m_wholeWord->isChecked());
    if (count < 0) {
        MessageBox::Show(this, tr("Please specify what to search for."));
    } else if (count == 0) {
        MessageBox::Show(this, NotFoundText());
    } else if (count == 1) {
        MessageBox::Show(this, tr("The specified text was found and replaced one time."));
    } else {
        MessageBox::Show(this,
                         tr("The specified text was found and replaced %n times.", nullptr, count));
    }
}
