#include "core/IdRule.h"

#include "core/Dialogs.h"

void LoadLastIdentity(RecordSource& source, QString& counter) {
    try {
        source.MoveLast();
        counter = source.At(0).toString();
    } catch (const StoreError& e) {
        if (e.kind() != StoreError::Kind::NoCurrentRecord)
            throw;
    }
}

void CatchUpWithLibrary(RecordSource& source, QString& counter, const QString& startText) {
    try {
        const qint64 stored = source.StoredMaxIdentity();
        const qint64 held =
            counter.isEmpty() || counter == startText ? 0 : counter.trimmed().toLongLong();
        if (stored > held)
            counter = QString::number(stored);
    } catch (const StoreError&) {
        // the append itself will meet and report what keeps the file from being read
    }
}

int NextIdentity(QString& counter, const QString& startText, const TableSchema& table,
                 Dialogs& dialogs) {
    if (counter.isEmpty() || counter == startText)
        counter = QStringLiteral("0");
    const long long next = counter.trimmed().toLongLong() + 1;
    if (next > kMaxIdentity) {
        const QString text =
            QStringLiteral("The media library is full: it cannot hold more than %1 %2.\r\n"
                           "Nothing was added.")
                .arg(kMaxIdentity)
                .arg(QLatin1String(table.identityNoun));
        dialogs.MsgBox(text, MsgButtons::Ok, QStringLiteral("Jukora - Library full"),
                       MsgIcon::Warning);
        throw StoreError(StoreError::Kind::IdentityRange, text);
    }
    counter = QString::number(next);
    return static_cast<int>(next);
}

int BeginAppend(RecordSource& source, QString& counter, const QString& startText,
                Dialogs& dialogs) {
    LoadLastIdentity(source, counter);
    CatchUpWithLibrary(source, counter, startText);
    source.AddNew();
    const QString before = counter;
    try {
        const int id = NextIdentity(counter, startText, source.Schema(), dialogs);
        source.SetField(QLatin1String(source.Schema().fields[0].name), id);
        return id;
    } catch (...) {
        counter = before;
        source.CancelUpdate();
        throw;
    }
}
