#include "core/Store.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Type = TableSchema::Type;

const TableSchema kSong{"tblSong",
                        {{"songid", Type::Integer},
                         {"Title", Type::Text},
                         {"artist", Type::Text, true},
                         {"filepath", Type::Text, false, true},
                         {"playcount", Type::Integer}},
                        "songs"};
const TableSchema kPlayList{
    "tblPlayList", {{"playlistid", Type::Integer}, {"Name", Type::Text}}, "playlists"};
const TableSchema kTracks{
    "tblPlayListTracks",
    {{"TrackID", Type::Integer}, {"playlistid", Type::Integer}, {"songid", Type::Integer}},
    "playlist entries"};
const TableSchema kFolder{
    "tblFolder", {{"FolderID", Type::Integer}, {"folder", Type::Text}}, "folders"};

// Finalizes a prepared statement when it goes out of scope.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};

QString Quoted(const QString& path) {
    return QStringLiteral("'%1'").arg(path);
}

// A number field's value as the set keeps it: what ColumnValue gives, as a whole number.
qint64 ColumnNumber(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return 0;
    case SQLITE_INTEGER:
        return sqlite3_column_int64(stmt, column);
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QByteArray(text ? text : "").trimmed().toInt();
    }
    }
}

QString ColumnText(sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return QString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
}

// A whole number as a variant: an int where it fits, as the fields' readers expect.
QVariant NumberVariant(qint64 n) {
    if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
        return QVariant(static_cast<int>(n));
    return QVariant(static_cast<qlonglong>(n));
}

void BindValue(sqlite3_stmt* stmt, int index, const QVariant& value, Type type) {
    if (type == Type::Integer) {
        bool ok = false;
        const qlonglong n = value.toLongLong(&ok);
        if (ok)
            sqlite3_bind_int64(stmt, index, n);
        else
            sqlite3_bind_int64(stmt, index, 0);
        return;
    }
    const QByteArray utf8 = value.toString().toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

// Why the file cannot be used: write access as the program needs it.
bool IsReadOnly(const QString& path) {
    struct stat st {};
    const QByteArray native = QFile::encodeName(path);
    if (stat(native.constData(), &st) != 0)
        return true;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return access(native.constData(), W_OK) != 0;
}

// Checks the tables and fields over an open connection; empty text when all are there.
QString CheckTables(sqlite3* db) {
    for (const TableSchema* table : TableSchema::All()) {
        Statement st;
        if (sqlite3_prepare_v2(db, "SELECT name FROM pragma_table_info(?1)", -1, &st.stmt,
                               nullptr) != SQLITE_OK)
            return QStringLiteral("the file is damaged or is not a library file (%1)")
                .arg(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_bind_text(st.stmt, 1, table->name, -1, SQLITE_STATIC);
        QStringList names;
        int rc;
        while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW)
            names << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0)));
        if (rc != SQLITE_DONE)
            return QStringLiteral("the file is damaged or is not a library file (%1)")
                .arg(QString::fromUtf8(sqlite3_errmsg(db)));
        if (names.isEmpty())
            return QStringLiteral("the table %1 is missing").arg(QLatin1String(table->name));
        for (const auto& field : table->fields)
            if (!names.contains(QLatin1String(field.name), Qt::CaseInsensitive))
                return QStringLiteral("the field %1 of the table %2 is missing")
                    .arg(QLatin1String(field.name), QLatin1String(table->name));
    }
    return {};
}

bool IsLockCode(int rc) {
    return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

const QString& LockedText() {
    static const QString text =
        QStringLiteral("another program is using the library file (it holds it locked)");
    return text;
}

QString CheckIntegrity(sqlite3* db) {
    Statement st;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &st.stmt, nullptr) != SQLITE_OK ||
        sqlite3_step(st.stmt) != SQLITE_ROW)
        return QStringLiteral("the file is damaged or is not a library file (%1)")
            .arg(QString::fromUtf8(sqlite3_errmsg(db)));
    const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, 0));
    if (!verdict || qstrcmp(verdict, "ok") != 0)
        return QStringLiteral("the file is damaged (%1)").arg(QString::fromUtf8(verdict));
    return {};
}

} // namespace

const std::vector<const TableSchema*>& TableSchema::All() {
    static const std::vector<const TableSchema*> all{&kSong, &kPlayList, &kTracks, &kFolder};
    return all;
}

const TableSchema* TableSchema::Find(const QString& table) {
    for (const TableSchema* t : All())
        if (table == QLatin1String(t->name))
            return t;
    return nullptr;
}

int TableSchema::IndexOf(const QString& field) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (field.compare(QLatin1String(fields[i].name), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

namespace {
QString CheckFile(const QString& path, bool everyPage, LibraryFault& fault);
}

QString CheckLibraryFile(const QString& path, bool everyPage, LibraryFault* fault) {
    LibraryFault ignored;
    LibraryFault& kind = fault ? *fault : ignored;
    kind = LibraryFault::Unusable;
    const QString problem = CheckFile(path, everyPage, kind);
    if (problem.isEmpty())
        kind = LibraryFault::None;
    return problem;
}

namespace {
QString CheckFile(const QString& path, bool everyPage, LibraryFault& fault) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("the file does not exist");
    if (!info.isFile())
        return QStringLiteral("it is not a file");
    if (!info.isReadable())
        return QStringLiteral("the file cannot be read");
    if (IsReadOnly(path)) {
        fault = LibraryFault::ReadOnly;
        return QStringLiteral("the file is read-only, so nothing could be saved to it");
    }
    // SQLite writes its journal files beside the library.
    if (access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0) {
        fault = LibraryFault::ReadOnly;
        return QStringLiteral("its folder %1 is read-only, so nothing could be saved to it")
            .arg(info.absolutePath());
    }
    sqlite3* db = nullptr;
    // Read-only and without URI tricks: checking a file never changes it.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString problem;
    if (rc != SQLITE_OK)
        problem = QStringLiteral("the file cannot be opened (%1)")
                      .arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    else {
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        if (everyPage)
            problem = CheckIntegrity(db);
        if (problem.isEmpty())
            problem = CheckTables(db);
        if (!problem.isEmpty() && IsLockCode(sqlite3_extended_errcode(db))) {
            problem = LockedText();
            fault = LibraryFault::Locked;
        }
    }
    sqlite3_close(db);
    return problem;
}
} // namespace

void CreateEmptyLibrary(const QString& path) {
    if (QFileInfo::exists(path))
        throw StoreError(StoreError::Kind::Write,
                         QStringLiteral("%1 already exists; it is left as it is").arg(path));
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    static const char* const kSchema =
        "PRAGMA journal_mode=WAL;"
        "CREATE TABLE tblSong (songid INTEGER PRIMARY KEY CHECK (songid BETWEEN 1 AND 32767),"
        " Title TEXT, artist TEXT, filepath TEXT, playcount INTEGER NOT NULL DEFAULT 0);"
        "CREATE TABLE tblPlayList (playlistid INTEGER PRIMARY KEY"
        " CHECK (playlistid BETWEEN 1 AND 32767), Name TEXT);"
        "CREATE TABLE tblPlayListTracks (TrackID INTEGER PRIMARY KEY"
        " CHECK (TrackID BETWEEN 1 AND 32767), playlistid INTEGER, songid INTEGER);"
        "CREATE TABLE tblFolder (FolderID INTEGER PRIMARY KEY"
        " CHECK (FolderID BETWEEN 1 AND 32767), folder TEXT);";
    char* error = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, kSchema, nullptr, nullptr, &error);
    const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw StoreError(StoreError::Kind::Write,
                         QStringLiteral("cannot create %1: %2").arg(path, message));
}

RecordSource::RecordSource(const QString& table) : schema_(TableSchema::Find(table)) {
    if (!schema_)
        throw StoreError(StoreError::Kind::Unusable,
                         QStringLiteral("no library table is named %1").arg(table));
    for (const auto& field : schema_->fields) {
        const Kind kind = field.type == Type::Integer ? NumberKind
                          : field.utf8                ? Utf8Kind
                          : field.repeats             ? SharedKind
                                                      : TextKind;
        columns_.push_back({kind, strides_[kind]++});
    }
    records_.texts.resize(strides_[TextKind]);
}

RecordSource::~RecordSource() {
    Close();
}

void RecordSource::Close() {
    sqlite3_close_v2(db_);
    db_ = nullptr;
    ClearRows();
    SetChanged();
    cursor_ = 0;
    deletedHere_ = false;
    pending_ = Pending::None;
}

void RecordSource::Fail(StoreError::Kind kind, const QString& what) const {
    QString detail = what;
    if (db_ && IsLockCode(sqlite3_extended_errcode(db_))) {
        // A lock held by another program is neither damage nor a failed write: it passes.
        throw StoreError(
            StoreError::Kind::Locked,
            QStringLiteral("The library file %1: %2.").arg(Quoted(databaseName_), LockedText()));
    }
    if (db_ && (sqlite3_extended_errcode(db_) & 0xff) == SQLITE_READONLY)
        detail = QStringLiteral("%1: the file or its folder is read-only").arg(what);
    else if (db_)
        detail += QStringLiteral(" (%1)").arg(QString::fromUtf8(sqlite3_errmsg(db_)));
    throw StoreError(kind,
                     QStringLiteral("The library file %1: %2").arg(Quoted(databaseName_), detail));
}

void RecordSource::Open() {
    Close();
    if (databaseName_.isEmpty())
        throw StoreError(
            StoreError::Kind::NotOpen,
            QStringLiteral("No library file is set for %1").arg(QLatin1String(schema_->name)));
    LibraryFault fault = LibraryFault::None;
    const QString problem = CheckLibraryFile(databaseName_, false, &fault);
    if (!problem.isEmpty())
        throw StoreError(fault == LibraryFault::Locked ? StoreError::Kind::Locked
                                                       : StoreError::Kind::Unusable,
                         QStringLiteral("The library file %1 cannot be used: %2.")
                             .arg(Quoted(databaseName_), problem));
    const int rc =
        sqlite3_open_v2(databaseName_.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        Fail(StoreError::Kind::Unusable, QStringLiteral("cannot be opened"));
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    Exec("PRAGMA journal_mode=WAL");
    // In WAL mode NORMAL keeps every commit through a crash or kill of the program and keeps
    // the file consistent through a power cut, which may lose the last commits; FULL would
    // also wait for the disk at every commit (about 0.1 ms to several ms each).
    Exec("PRAGMA synchronous=NORMAL");
    ReadAll();
}

void RecordSource::SetBusyWait(int ms) {
    if (db_)
        sqlite3_busy_timeout(db_, ms);
}

void RecordSource::Exec(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(StoreError::Kind::Write, QString::fromLatin1(sql));
}

void RecordSource::RequireOpen() const {
    if (!db_)
        throw StoreError(
            StoreError::Kind::NotOpen,
            QStringLiteral("The library table %1 is not open").arg(QLatin1String(schema_->name)));
}

sqlite3_stmt* RecordSource::Prepare(const QByteArray& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.constData(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK)
        Fail(StoreError::Kind::Unusable,
             QStringLiteral("cannot read %1").arg(QLatin1String(schema_->name)));
    return stmt;
}

static QByteArray FieldList(const TableSchema& schema) {
    QByteArray list;
    for (const auto& f : schema.fields)
        list += QByteArray(", \"") + f.name + '"';
    return list;
}

qint64 RecordSource::DataVersion() {
    Statement st;
    st.stmt = Prepare("PRAGMA data_version");
    if (sqlite3_step(st.stmt) != SQLITE_ROW)
        return -1; // unknown: the next refresh reads the table again
    return sqlite3_column_int64(st.stmt, 0);
}

void RecordSource::ReadAll() {
    RequireOpen();
    // Taken before the table is read: a commit by another connection in between shows as a
    // change at the next refresh, which then reads again.
    const qint64 version = DataVersion();
    Statement st;
    st.stmt = Prepare("SELECT rowid" + FieldList(*schema_) + " FROM \"" + schema_->name +
                      "\" ORDER BY \"" + schema_->fields[0].name + "\", rowid");
    // Read beside the set: a read that fails leaves the set as it was.
    Records read;
    // Room for what the table holds, so that the set is not moved while it grows: a refresh
    // reads about as many records as before, a first read counts them.
    size_t expected = count_ + 16;
    if (count_ == 0) {
        Statement count;
        count.stmt = Prepare("SELECT count(*) FROM \"" + QByteArray(schema_->name) + '"');
        if (sqlite3_step(count.stmt) == SQLITE_ROW)
            expected = static_cast<size_t>(sqlite3_column_int64(count.stmt, 0));
    }
    read.texts.resize(strides_[TextKind]);
    for (QStringList& texts : read.texts)
        texts.reserve(static_cast<qsizetype>(expected));
    read.utf8.reserve(expected * strides_[Utf8Kind]);
    read.shared.reserve(expected * strides_[SharedKind]);
    read.numbers.reserve(expected * strides_[NumberKind]);
    QHash<QString, qint32> known; // shared texts and their numbers
    int rc;
    for (size_t row = 0; (rc = sqlite3_step(st.stmt)) == SQLITE_ROW; ++row) {
        read.Grow(strides_);
        StoreColumns(st.stmt, read, row, &known);
    }
    if (rc != SQLITE_DONE)
        Fail(StoreError::Kind::Unusable,
             QStringLiteral("cannot read %1").arg(QLatin1String(schema_->name)));
    records_ = std::move(read);
    count_ = records_.numbers.size() / strides_[NumberKind];
    // The pages just read stay in SQLite's cache otherwise (about 1.5 MB for 32,767 songs);
    // the set is what is read from now on.
    sqlite3_db_release_memory(db_);
    readVersion_ = version;
    SetRead();
}

void RecordSource::SetRead() {
    SetChanged();
    writtenSinceRead_ = false;
    cursor_ = 0;
    deletedHere_ = false;
    pending_ = Pending::None;
}

void RecordSource::Records::Grow(const size_t (&strides)[KindCount]) {
    texts.resize(strides[TextKind]);
    for (QStringList& column : texts)
        column.emplace_back();
    utf8.resize(utf8.size() + strides[Utf8Kind]);
    shared.resize(shared.size() + strides[SharedKind]);
    numbers.resize(numbers.size() + strides[NumberKind]);
}

void RecordSource::StoreColumns(sqlite3_stmt* stmt, Records& into, size_t row,
                                QHash<QString, qint32>* known) const {
    into.numbers[row * strides_[NumberKind]] = sqlite3_column_int64(stmt, 0);
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Slot& column = columns_[i];
        const size_t at = row * strides_[column.kind] + column.index;
        const int result = static_cast<int>(i) + 1;
        switch (column.kind) {
        case TextKind: { // a text read again unchanged is left as it is, still shared with the
                         // lists
            QStringList& texts = into.texts[column.index];
            QString text = ColumnText(stmt, result);
            if (std::as_const(texts).at(static_cast<qsizetype>(row)) != text)
                texts[static_cast<qsizetype>(row)] = std::move(text);
            break;
        }
        case Utf8Kind: { // as stored: made into text when it is read
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, result));
            into.utf8[at] =
                text ? QByteArray(text, sqlite3_column_bytes(stmt, result)) : QByteArray();
            break;
        }
        case SharedKind: {
            const QString text = ColumnText(stmt, result);
            const auto found =
                known ? known->constFind(text) : QHash<QString, qint32>::const_iterator();
            if (known && found != known->cend()) {
                into.shared[at] = *found;
                break;
            }
            into.shared[at] = static_cast<qint32>(into.sharedTexts.size());
            into.sharedTexts.append(text);
            if (known)
                known->insert(text, into.shared[at]);
            break;
        }
        case NumberKind:
        case KindCount:
            into.numbers[at] = ColumnNumber(stmt, result);
            break;
        }
    }
}

void RecordSource::ReadOne(qint64 rowid, size_t row) {
    Statement st;
    st.stmt = Prepare("SELECT rowid" + FieldList(*schema_) + " FROM \"" + schema_->name +
                      "\" WHERE rowid = ?1");
    sqlite3_bind_int64(st.stmt, 1, rowid);
    if (sqlite3_step(st.stmt) != SQLITE_ROW)
        Fail(StoreError::Kind::Unusable,
             QStringLiteral("a record just written to %1 cannot be read")
                 .arg(QLatin1String(schema_->name)));
    if (row == count_) {
        records_.Grow(strides_);
        ++count_;
    }
    StoreColumns(st.stmt, records_, row, nullptr);
}

void RecordSource::EraseRow(size_t row) {
    const auto erase = [row](auto& values, size_t stride) {
        const auto first = values.begin() + static_cast<std::ptrdiff_t>(row * stride);
        values.erase(first, first + static_cast<std::ptrdiff_t>(stride));
    };
    for (QStringList& texts : records_.texts)
        texts.removeAt(static_cast<qsizetype>(row));
    erase(records_.utf8, strides_[Utf8Kind]);
    erase(records_.shared, strides_[SharedKind]);
    erase(records_.numbers, strides_[NumberKind]);
    --count_;
}

void RecordSource::ClearRows() {
    records_ = Records();
    records_.texts.resize(strides_[TextKind]);
    count_ = 0;
}

QVariant RecordSource::ValueAt(size_t row, int fieldIndex) const {
    const Slot slot = SlotAt(static_cast<int>(row), fieldIndex);
    switch (slot.kind) {
    case TextKind:
        return QVariant(records_.texts[slot.column][static_cast<qsizetype>(slot.row)]);
    case Utf8Kind:
        return QVariant(QString::fromUtf8(records_.utf8[slot.index]));
    case SharedKind:
        return QVariant(records_.sharedTexts[records_.shared[slot.index]]);
    case NumberKind:
    case KindCount:
        break;
    }
    return NumberVariant(records_.numbers[slot.index]);
}

void RecordSource::NotKeptAs(int fieldIndex, const char* kept) const {
    throw StoreError(
        StoreError::Kind::UnknownField,
        QStringLiteral("The field %1 of %2 is not kept as %3")
            .arg(QLatin1String(schema_->fields.at(static_cast<size_t>(fieldIndex)).name),
                 QLatin1String(schema_->name), QLatin1String(kept)));
}

RecordSource::Row RecordSource::RowAt(size_t row) const {
    Row values;
    values.reserve(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i)
        values.push_back(ValueAt(row, static_cast<int>(i)));
    return values;
}

qint64 RecordSource::StoredMaxIdentity() {
    RequireOpen();
    Statement st;
    st.stmt = Prepare("SELECT max(\"" + QByteArray(schema_->fields[0].name) + "\") FROM \"" +
                      schema_->name + '"');
    if (sqlite3_step(st.stmt) != SQLITE_ROW)
        Fail(StoreError::Kind::Unusable,
             QStringLiteral("cannot read %1").arg(QLatin1String(schema_->name)));
    return sqlite3_column_int64(st.stmt, 0);
}

void RecordSource::Refresh() {
    RequireOpen();
    // The set already is what a new read would give when nothing was written through this
    // source and no other connection committed since it was read: the file is not read again.
    // This saves the second read at start-up, which would briefly hold the whole table twice.
    if (!writtenSinceRead_ && readVersion_ >= 0 && DataVersion() == readVersion_)
        SetRead();
    else
        ReadAll();
}

void RecordSource::MoveFirst() {
    RequireOpen();
    pending_ = Pending::None;
    deletedHere_ = false;
    cursor_ = 0;
    if (count_ == 0)
        throw StoreError(StoreError::Kind::NoCurrentRecord, QStringLiteral("No current record."));
}

void RecordSource::MoveNext() {
    RequireOpen();
    pending_ = Pending::None;
    if (deletedHere_)
        deletedHere_ = false; // the cursor already stands on the following record
    else if (cursor_ < count_)
        ++cursor_;
}

void RecordSource::MoveLast() {
    RequireOpen();
    pending_ = Pending::None;
    deletedHere_ = false;
    if (count_ == 0) {
        cursor_ = 0;
        throw StoreError(StoreError::Kind::NoCurrentRecord, QStringLiteral("No current record."));
    }
    cursor_ = count_ - 1;
}

size_t RecordSource::Current() const {
    RequireOpen();
    if (deletedHere_ || cursor_ >= count_)
        throw StoreError(StoreError::Kind::NoCurrentRecord, QStringLiteral("No current record."));
    return cursor_;
}

int RecordSource::FieldIndex(const QString& name) const {
    const int index = schema_->IndexOf(name);
    if (index < 0)
        throw StoreError(
            StoreError::Kind::UnknownField,
            QStringLiteral("The table %1 has no field %2").arg(QLatin1String(schema_->name), name));
    return index;
}

QVariant RecordSource::Field(const QString& name) const {
    const int index = FieldIndex(name);
    if (pending_ != Pending::None)
        return buffer_[index];
    return ValueAt(Current(), index);
}

QString RecordSource::Text(const QString& name) const {
    return Field(name).toString();
}

int RecordSource::Number(const QString& name) const {
    return Field(name).toInt();
}

QVariant RecordSource::At(int fieldIndex) const {
    return ValueAt(Current(), fieldIndex);
}

QVariant RecordSource::AtPosition(int position, int fieldIndex) const {
    return ValueAt(static_cast<size_t>(position), fieldIndex);
}

std::span<const int> RecordSource::PositionsOf(int id) const {
    if (!positionsValid_) {
        byIdentity_.resize(count_);
        for (size_t i = 0; i < count_; ++i)
            byIdentity_[i] = static_cast<int>(i);
        // Stable: positions with the same identity stay ascending.
        std::stable_sort(byIdentity_.begin(), byIdentity_.end(),
                         [this](int a, int b) { return NumberAt(a, 0) < NumberAt(b, 0); });
        positionsValid_ = true;
    }
    const auto first = std::lower_bound(
        byIdentity_.begin(), byIdentity_.end(), id,
        [this](int position, int wanted) { return NumberAt(position, 0) < wanted; });
    const auto last =
        std::upper_bound(first, byIdentity_.end(), id, [this](int wanted, int position) {
            return wanted < NumberAt(position, 0);
        });
    return {first, last};
}

void RecordSource::AddNew() {
    RequireOpen();
    buffer_.assign(schema_->fields.size(), QVariant());
    for (size_t i = 0; i < schema_->fields.size(); ++i)
        buffer_[i] = schema_->fields[i].type == Type::Integer ? QVariant(0) : QVariant(QString());
    written_.assign(schema_->fields.size(), false);
    pending_ = Pending::Append;
}

void RecordSource::Edit() {
    buffer_ = RowAt(Current());
    written_.assign(schema_->fields.size(), false);
    pending_ = Pending::Edit;
}

void RecordSource::SetField(const QString& name, const QVariant& value) {
    const int index = FieldIndex(name);
    if (pending_ == Pending::None)
        throw StoreError(StoreError::Kind::NoPending,
                         QStringLiteral("A field can only be written after AddNew or Edit."));
    buffer_[index] = value;
    written_[index] = true;
}

void RecordSource::CheckIdentity(const Row& values) const {
    bool ok = false;
    const qlonglong id = values[0].toLongLong(&ok);
    if (!ok || id < 1 || id > kMaxIdentity)
        throw StoreError(StoreError::Kind::IdentityRange,
                         QStringLiteral("The library cannot hold more than %1 %2.")
                             .arg(kMaxIdentity)
                             .arg(QLatin1String(schema_->identityNoun)));
}

void RecordSource::Update() {
    RequireOpen();
    if (pending_ == Pending::None)
        throw StoreError(StoreError::Kind::NoPending,
                         QStringLiteral("Update without AddNew or Edit."));
    if (pending_ == Pending::Append && !written_[0])
        throw StoreError(StoreError::Kind::IdentityRange,
                         QStringLiteral("A new record needs an identity."));
    CheckIdentity(buffer_);
    QByteArray sql;
    std::vector<int> bound;
    if (pending_ == Pending::Append) {
        QByteArray names, marks;
        for (size_t i = 0; i < written_.size(); ++i) {
            if (!written_[i])
                continue;
            bound.push_back(static_cast<int>(i));
            names += QByteArray(names.isEmpty() ? "\"" : ", \"") + schema_->fields[i].name + '"';
            marks += marks.isEmpty() ? "?" : ", ?";
        }
        sql = "INSERT INTO \"" + QByteArray(schema_->name) + "\" (" + names + ") VALUES (" + marks +
              ")";
    } else {
        QByteArray sets;
        for (size_t i = 0; i < written_.size(); ++i) {
            if (!written_[i])
                continue;
            bound.push_back(static_cast<int>(i));
            sets += QByteArray(sets.isEmpty() ? "\"" : ", \"") + schema_->fields[i].name + "\" = ?";
        }
        if (bound.empty()) { // nothing changed: nothing to write
            pending_ = Pending::None;
            return;
        }
        sql = "UPDATE \"" + QByteArray(schema_->name) + "\" SET " + sets + " WHERE rowid = ?";
    }
    Statement st;
    st.stmt = Prepare(sql);
    int index = 1;
    for (int field : bound)
        BindValue(st.stmt, index++, buffer_[field], schema_->fields[field].type);
    if (pending_ == Pending::Edit)
        sqlite3_bind_int64(st.stmt, index, RowidAt(cursor_));
    const int rc = sqlite3_step(st.stmt);
    if (rc != SQLITE_DONE) {
        pending_ = Pending::None;
        if ((rc & 0xff) == SQLITE_CONSTRAINT)
            Fail(StoreError::Kind::Write,
                 QStringLiteral("another record of %1 already has the identity %2")
                     .arg(QLatin1String(schema_->name), buffer_[0].toString()));
        Fail(StoreError::Kind::Write, QStringLiteral("could not be written"));
    }
    SetChanged();
    if (pending_ == Pending::Append) {
        const bool wasEof = cursor_ >= count_;
        ReadOne(sqlite3_last_insert_rowid(db_), count_);
        if (wasEof && !deletedHere_)
            cursor_ = count_;
    } else {
        ReadOne(RowidAt(cursor_), cursor_);
    }
    pending_ = Pending::None;
}

void RecordSource::Delete() {
    const qint64 rowid = RowidAt(Current());
    pending_ = Pending::None;
    Statement st;
    st.stmt = Prepare("DELETE FROM \"" + QByteArray(schema_->name) + "\" WHERE rowid = ?1");
    sqlite3_bind_int64(st.stmt, 1, rowid);
    if (sqlite3_step(st.stmt) != SQLITE_DONE)
        Fail(StoreError::Kind::Write, QStringLiteral("could not be written"));
    EraseRow(cursor_);
    SetChanged();
    deletedHere_ = true;
}

void RecordSource::DeleteAll() {
    RequireOpen();
    pending_ = Pending::None;
    Statement st;
    st.stmt = Prepare("DELETE FROM \"" + QByteArray(schema_->name) + '"');
    if (sqlite3_step(st.stmt) != SQLITE_DONE)
        Fail(StoreError::Kind::Write, QStringLiteral("could not be emptied"));
    ClearRows();
    SetChanged();
    cursor_ = 0;
    deletedHere_ = false;
}

void RecordSource::SetFieldOfAll(const QString& name, const QVariant& value) {
    RequireOpen();
    const int index = FieldIndex(name);
    if (index == 0)
        throw StoreError(StoreError::Kind::IdentityRange,
                         QStringLiteral("Every record cannot be given the same identity."));
    pending_ = Pending::None;
    const TableSchema::Field& field = schema_->fields[static_cast<size_t>(index)];
    Statement st;
    st.stmt =
        Prepare("UPDATE \"" + QByteArray(schema_->name) + "\" SET \"" + field.name + "\" = ?1");
    BindValue(st.stmt, 1, value, field.type);
    if (sqlite3_step(st.stmt) != SQLITE_DONE)
        Fail(StoreError::Kind::Write, QStringLiteral("could not be written"));
    // The set shows the value as the file now stores it.
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    const QString text = value.toString();
    const QByteArray utf8 = text.toUtf8();
    const auto shared = static_cast<qint32>(records_.sharedTexts.size());
    if (columns_[static_cast<size_t>(index)].kind == SharedKind)
        records_.sharedTexts.append(text);
    for (size_t row = 0; row < count_; ++row) {
        const Slot slot = SlotAt(static_cast<int>(row), index);
        if (slot.kind == TextKind)
            records_.texts[slot.column][static_cast<qsizetype>(slot.row)] = text;
        else if (slot.kind == Utf8Kind)
            records_.utf8[slot.index] = utf8;
        else if (slot.kind == SharedKind)
            records_.shared[slot.index] = shared;
        else
            records_.numbers[slot.index] = static_cast<int>(ok ? number : 0);
    }
    SetChanged();
    cursor_ = count_;
    deletedHere_ = false;
}

QString TrimBlanks(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && s[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && s[end - 1] == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

bool MatchesText(const QVariant& stored, const QString& wanted) {
    return TrimBlanks(stored.toString()) == TrimBlanks(wanted);
}

bool MatchesNumber(const QVariant& stored, int wanted) {
    bool ok = false;
    const int value = stored.toInt(&ok);
    return ok && value == wanted;
}
