// The library store: record sources over the tables of "dbMedia.mdb".
//
// Contract:
// - A RecordSource is bound to one table for its whole life. Open() and Refresh() read the whole
//   table (ascending identity, the order of appends) into memory; every walk, match and ordering
//   is done by the caller over that in-memory set.
// - Update() and Delete() are written through at once: each is one committed SQLite transaction
//   (WAL journal, synchronous=NORMAL) before it returns, so it survives the program being
//   killed; a power cut keeps the file consistent but may lose the last commits.
// - Changes made through another source (or another process) become visible only at Refresh().
// - Every failure is thrown as StoreError. An empty set makes MoveFirst/MoveLast and field reads
//   throw Kind::NoCurrentRecord, which callers use to recognise an empty table.
// - Waits: a locked file is retried for at most kBusyTimeoutMs, then reported as an error.
// - Values: a field with no stored value reads as empty text (text fields) or 0 (number fields).
#pragma once

#include "core/Decimal.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class StoreError : public std::runtime_error {
public:
    enum class Kind {
        NoCurrentRecord, // empty set, cursor past the end or on a deleted record
        NotOpen,         // the source has no database yet
        Unusable,        // the file is not a library: damaged, not SQLite, a table or field missing
        Write,           // a write failed (read-only file or folder, disk full)
        Locked,          // another program holds a lock on the file past kBusyTimeoutMs
        Refused,         // a value that must not be stored (a path that could never play)
        IdentityRange,   // an identity outside 1..32767
        NoPending,       // Update without AddNew or Edit
        UnknownField,
    };
    StoreError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message) {}
    Kind kind() const { return kind_; }
    const QString& message() const { return message_; }

private:
    Kind kind_;
    QString message_;
};

// The fixed shape of one library table.
struct TableSchema {
    enum class Type { Integer, Text };
    struct Field {
        const char* name;
        Type type;
        // Texts that repeat from record to record (an artist): a set keeps each text once and
        // gives each record its number.
        bool repeats = false;
        // Texts read one record at a time, never walked or listed (a file's path): a set keeps
        // them as UTF-8, half the size of the program's texts for most paths.
        bool utf8 = false;
    };
    const char* name;
    std::vector<Field> fields; // fields[0] is the identity field
    const char* identityNoun;  // what the table holds, for messages: "songs", "playlists", ...

    // The schema of a table by name (case-sensitive); nullptr for an unknown table.
    static const TableSchema* Find(const QString& table);
    static const std::vector<const TableSchema*>& All();
    int IndexOf(const QString& field) const; // case-insensitive; -1 when absent
};

constexpr int kBusyTimeoutMs = 5000;
constexpr int kMaxIdentity = 32767;

// Checks that the file at `path` can be used as a library without writing to it. Returns an empty
// text when it can, otherwise a short sentence saying what is wrong (for a message to the user).
// With `everyPage`, every page of the file is read too (about 15 ms for 32,767 songs): the
// program does that once, at start-up; opening a record source checks only the tables.
// What kind of problem a library file has: a file another program holds locked, or one that
// cannot be written, is not damaged, and the user is told differently.
enum class LibraryFault { None, Unusable, ReadOnly, Locked };
QString CheckLibraryFile(const QString& path, bool everyPage = true, LibraryFault* fault = nullptr);

// Creates a new empty library file with the four tables (used by the build to make the file
// that ships with the player; the player itself never creates one). Throws StoreError.
void CreateEmptyLibrary(const QString& path);

class RecordSource {
public:
    using Row = std::vector<QVariant>;

    explicit RecordSource(const QString& table);
    ~RecordSource();
    RecordSource(const RecordSource&) = delete;
    RecordSource& operator=(const RecordSource&) = delete;

    void SetDatabaseName(const QString& path) { databaseName_ = path; }
    const QString& DatabaseName() const { return databaseName_; }
    const TableSchema& Schema() const { return *schema_; }

    // Connects to the file and reads the table; cursor on the first record.
    void Open();
    void Close();

    void Refresh();
    void MoveFirst();
    void MoveNext();
    void MoveLast();
    bool Eof() const { return !deletedHere_ && cursor_ >= count_; }
    int RecordCount() const { return static_cast<int>(count_); }

    // Field reads: the pending buffer while an append or edit is pending, otherwise the current
    // record. Text() gives the value as text (a number in decimal), Number() as a whole number
    // (text that is not a number reads as 0).
    QVariant Field(const QString& name) const;
    QString Text(const QString& name) const;
    int Number(const QString& name) const;
    // Fast reads by field index, no pending buffer: for walks over the whole set.
    QVariant At(int fieldIndex) const;
    int FieldIndex(const QString& name) const;
    // The positions in the set (ascending) of the records whose identity equals `id`: what a walk
    // matching the identity by number would visit, without the walk. Kept until the set changes.
    std::span<const int> PositionsOf(int id) const;
    QVariant AtPosition(int position, int fieldIndex) const;
    // The texts of a text field, record for record: a list of every record can share them.
    const QStringList& TextsOf(int fieldIndex) const {
        const Slot& column = columns_.at(static_cast<size_t>(fieldIndex));
        if (column.kind != TextKind)
            NotKeptAs(fieldIndex, "a list of texts");
        return records_.texts.at(column.index);
    }
    // The text of a text field without a copy (not of a field kept as UTF-8: see AtPosition).
    const QString& TextAt(int position, int fieldIndex) const {
        const Slot slot = SlotAt(position, fieldIndex);
        if (slot.kind == SharedKind)
            return records_.sharedTexts[records_.shared[slot.index]];
        if (slot.kind != TextKind)
            NotKeptAs(fieldIndex, "text");
        return records_.texts[slot.column][static_cast<qsizetype>(slot.row)];
    }
    // The value of a number field.
    qint64 NumberAt(int position, int fieldIndex) const {
        const Slot slot = SlotAt(position, fieldIndex);
        if (slot.kind != NumberKind)
            NotKeptAs(fieldIndex, "a number");
        return records_.numbers[slot.index];
    }
    // The identity as text.
    QString IdentityText(int position) const { return DecimalText(NumberAt(position, 0)); }

    // The largest identity the file's table holds at this moment (0 for an empty table), read
    // from the file, not from the set: another program may have appended since the set was read.
    qint64 StoredMaxIdentity();

    void AddNew();
    void Edit();
    void SetField(const QString& name, const QVariant& value);
    void Update();
    void Delete();
    void CancelUpdate() { pending_ = Pending::None; } // drops a pending append or edit
    // How long a statement waits for another program's lock before it fails with Kind::Locked;
    // kBusyTimeoutMs unless set.
    void SetBusyWait(int ms);

    // Whole-table writes, each one committed SQLite transaction: all of it is written or, on a
    // failure (thrown as Kind::Write), none of it. They reach every record the file holds, also
    // those appended through other sources since this set was read. Afterwards the cursor stands
    // at the end of the set, as after a walk over it.
    void DeleteAll();
    void SetFieldOfAll(const QString& name, const QVariant& value);
    bool HasPending() const { return pending_ != Pending::None; }

private:
    enum class Pending { None, Append, Edit };
    // The records, one after the other in each array: a record has strides_[Utf8Kind] UTF-8
    // texts, strides_[SharedKind] numbers of texts in sharedTexts and strides_[NumberKind]
    // numbers (its rowid, then its number fields), in field order. Texts are kept by field, one
    // list each, which a list of the whole set can share. A record costs its values and no more,
    // which matters with tens of thousands of songs.
    enum Kind { TextKind, Utf8Kind, SharedKind, NumberKind, KindCount };
    struct Records {
        std::vector<QStringList> texts; // strides_[TextKind] lists
        std::vector<QByteArray> utf8;
        std::vector<qint32> shared;
        QStringList sharedTexts;
        std::vector<qint64> numbers;
        void Grow(const size_t (&strides)[KindCount]);
    };
    // Where a field of a record is kept: the array of its kind, at `index`.
    struct Slot {
        Kind kind;
        size_t index;
        size_t row = 0;    // for texts: the record,
        size_t column = 0; // and its field's list
    };
    Slot SlotAt(int position, int fieldIndex) const {
        const Slot& column = columns_.at(static_cast<size_t>(fieldIndex));
        const size_t row = static_cast<size_t>(position);
        if (row >= count_)
            throw std::out_of_range("RecordSource: no record at this position");
        return {column.kind, row * strides_[column.kind] + column.index, row, column.index};
    }
    QVariant ValueAt(size_t row, int fieldIndex) const;
    // A field read in a way its kind is not kept: thrown as Kind::UnknownField.
    [[noreturn]] void NotKeptAs(int fieldIndex, const char* kept) const;
    Row RowAt(size_t row) const;
    qint64 RowidAt(size_t row) const { return records_.numbers[row * strides_[NumberKind]]; }

    void RequireOpen() const;
    size_t Current() const; // the position of the current record
    void ReadAll();
    // The state after a read: cursor on the first record, nothing pending.
    void SetRead();
    // SQLite's count of commits made by other connections to the file (-1 when unknown).
    qint64 DataVersion();
    // Reads the record with `rowid` from the file into the set at `row` (count_: appended).
    void ReadOne(qint64 rowid, size_t row);
    // Stores the values of the statement's current result row (rowid first) as record `row`
    // of `into`. `known` finds a shared text already kept (nullptr: the text is kept again).
    void StoreColumns(sqlite3_stmt* stmt, Records& into, size_t row,
                      QHash<QString, qint32>* known) const;
    void EraseRow(size_t row);
    void ClearRows();
    void Exec(const char* sql);
    sqlite3_stmt* Prepare(const QByteArray& sql);
    [[noreturn]] void Fail(StoreError::Kind kind, const QString& what) const;
    void CheckIdentity(const Row& values) const;

    const TableSchema* schema_;
    QString databaseName_;
    sqlite3* db_ = nullptr;
    std::vector<Slot> columns_; // per field: its kind, and its place within a record of that kind
    size_t strides_[KindCount] = {0, 0, 0, 1};
    Records records_;
    size_t count_ = 0;
    size_t cursor_ = 0;
    bool deletedHere_ = false; // the cursor stands on the gap left by Delete()
    Pending pending_ = Pending::None;
    Row buffer_;
    std::vector<bool> written_; // fields set in the buffer since AddNew/Edit
    // The positions ordered by identity, then by position; rebuilt when the set changed.
    mutable std::vector<int> byIdentity_;
    mutable bool positionsValid_ = false;
    quint64 generation_ = 0;
    qint64 readVersion_ = -1;      // DataVersion() when the set was last read
    bool writtenSinceRead_ = true; // this source changed the file since the set was read
    void SetChanged() {
        positionsValid_ = false;
        ++generation_;
        writtenSinceRead_ = true;
    }

public:
    // Changes whenever the set changes (read, appended to, edited, deleted from).
    quint64 Generation() const { return generation_; }
};

// Matching of stored values, as every lookup of the program does it.
// By text: both sides as text, trimmed of leading and trailing blanks, equal character for
// character (case counts). By number: the stored value as a whole number equals `wanted`.
QString TrimBlanks(const QString& s);
bool MatchesText(const QVariant& stored, const QString& wanted);
bool MatchesNumber(const QVariant& stored, int wanted);
