// SPDX-License-Identifier: GPL-3.0-or-later
#include "ShownTexts.h"

#include "BoxCatcher.h"
#include "FormProbe.h"

namespace testsupport {

namespace {

QtMessageHandler previousHandler = nullptr;

void keepLogLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    ShownTexts::instance().add(message);
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

ShownTexts &ShownTexts::instance()
{
    static ShownTexts texts;
    return texts;
}

void ShownTexts::collectLogLines()
{
    const QtMessageHandler previous = qInstallMessageHandler(keepLogLine);
    if (previous != keepLogLine)
        previousHandler = previous;
}

void ShownTexts::addBoxes(const BoxCatcher &boxes)
{
    for (const QString &text : boxes.texts())
        add(text);
}

void ShownTexts::addWindow(Form1 &form)
{
    const FormProbe probe(form);
    add(form.windowTitle());
    add(probe.description());
    add(probe.lbl_level->text());
}

void ShownTexts::add(const QString &text)
{
    const std::lock_guard lock(mutex_);
    texts_ << text;
}

qsizetype ShownTexts::count() const
{
    const std::lock_guard lock(mutex_);
    return texts_.size();
}

QStringList ShownTexts::containing(const QString &needle) const
{
    const std::lock_guard lock(mutex_);
    QStringList found;
    for (const QString &text : texts_)
        if (text.contains(needle, Qt::CaseInsensitive))
            found << text.left(500);
    return found;
}

} // namespace testsupport
