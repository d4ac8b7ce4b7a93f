// The id rule: a new record's identity is one more than the identity of the last record in the
// source's set; on an empty set, one more than what the window's counter holds. The counter is a
// text owned by the window ("" or a start text such as "Song ID" count as 0).
#pragma once

#include "core/Store.h"

class Dialogs;

// Copies the identity of the source's last record into `counter`; keeps the counter's text on an
// empty set.
void LoadLastIdentity(RecordSource& source, QString& counter);

// Moves the counter up to the largest identity the library file holds now, when it is behind:
// another copy of the program may have appended since the set was read, and a window's counter
// load may have stopped before this table. Keeps the counter when the file cannot be read.
void CatchUpWithLibrary(RecordSource& source, QString& counter, const QString& startText);

// Raises the counter by one and returns the new identity. An identity above 32767 cannot be
// held: the user is told the library is full and StoreError(IdentityRange) is thrown, leaving
// the counter as it was.
int NextIdentity(QString& counter, const QString& startText, const TableSchema& table,
                 Dialogs& dialogs);

// The whole rule: LoadLastIdentity, CatchUpWithLibrary, AddNew, NextIdentity, identity written into
// the buffer. The caller writes the other fields and calls Update().
int BeginAppend(RecordSource& source, QString& counter, const QString& startText, Dialogs& dialogs);
