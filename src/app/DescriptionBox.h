#pragma once

#include <QPlainTextEdit>

// The multi-line description box. Its text is lines separated by CR LF, and
// reads back exactly as it was written, whatever line-break characters the
// data brings; the editor underneath shows each line as a paragraph. Once
// the user types into the box, its text is what the editor holds.
class DescriptionBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit DescriptionBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

private:
    QString written_;
};
