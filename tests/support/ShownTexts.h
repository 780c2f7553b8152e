// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <mutex>

class Form1;

namespace testsupport {

class BoxCatcher;

// Every text the program showed or logged during a test run, gathered so a
// test can check something of all of them (that none holds the password).
class ShownTexts
{
public:
    static ShownTexts &instance();

    // From now on, every log line of this process is kept too (and still
    // printed as before).
    void collectLogLines();
    void addBoxes(const BoxCatcher &boxes);
    // The window's caption and what its description box and label show.
    void addWindow(Form1 &form);
    void add(const QString &text);

    qsizetype count() const;
    // The texts that contain `needle`, ignoring case.
    QStringList containing(const QString &needle) const;

private:
    ShownTexts() = default;

    mutable std::mutex mutex_;
    QStringList texts_;
};

} // namespace testsupport
