// Cases for check_translations.py, never compiled: the check must report exactly the lines
// marked at their end.
void Cases(QWidget* w, QMenu* menu, QLabel* l, bool b) {
    w->setWindowTitle(QStringLiteral("Plain title"));                 // FAULT
    l->setText("Bare literal");                                       // FAULT
    menu->addAction(b ? tr("Kept") : QStringLiteral("Conditional"));  // FAULT
    auto* box = new QCheckBox(QLatin1String("Constructed"), w);       // FAULT
    QMessageBox::warning(w, tr("Title"),
                         u"On the call's second line");          // FAULT
    MessageBox::Show(w, QStringLiteral("Shown\n"));              // FAULT
    QFileDialog dialog(w, QStringLiteral("Dialog title"));       // FAULT
    menu->addMenu(tr("Inner %1").arg(QStringLiteral("outer")));  // FAULT

    w->setWindowTitle(tr("Translated"));
    l->setText(QCoreApplication::translate("Context", "Translated elsewhere"));
    menu->addAction(QIcon(QStringLiteral(":/icons/name.svg")), tr("Named icon"));
    menu->addAction(QIcon::fromTheme(QStringLiteral("edit-copy")), CFrame::tr("Themed icon"));
    l->setText(QStringLiteral("%1 / %2: \n"));
    l->setObjectName(QStringLiteral("objectName"));
    l->setText(QStringLiteral("Exempted name"));
    // l->setText("Commented out");
    /* w->setWindowTitle("Commented out
       over two lines"); */
    l->setText(QString::fromUtf16(u"\u2014"));
}
