// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <exception>

namespace kestrelon {

// Fixed numbers for the failures this program names itself. Failures reported
// by an ODBC driver carry the driver's native error number instead, or
// OdbcCallFailed when the driver gives none.
enum ErrorNumber : int {
    OdbcCallFailed = 3000,
    ColumnNotFound = 3001,
    NoCurrentRow = 3002,
    TypeMismatch = 3003,
    KeyNotUnique = 3004,
    RelativeNotFound = 3005,
    InvalidKey = 3006,
    CannotRewind = 3007,
    NoSuchNode = 3008,
    TimedOut = 3009, // the data source did not answer within the time limit
    TreeTooDeep = 3010,
    OperationCancelled = 3011,
    SourceBusy = 3012, // a request of the window's thread met "Define" reading
    UnexpectedFailure = 3099,
};

// A failure of a data-access or tree operation: a number and a description,
// raised where the failure happens and shown to the user by the window.
class Error : public std::exception
{
public:
    Error(int number, QString description);

    int number() const { return number_; }
    const QString &description() const { return description_; }
    const char *what() const noexcept override { return what_.constData(); }

private:
    int number_;
    QString description_;
    QByteArray what_;
};

} // namespace kestrelon
