#include "skin/ListBox.h"

#include "core/Decimal.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : announced_;
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= announced_ ||
        (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return Line(index.row());
}

QString ListModel::Line(int row) const {
    if (gap_.isNull())
        return texts_.at(row);
    const QString& text = texts_.at(row);
    QString line;
    line.reserve(6 + gap_.size() + text.size());
    AppendDecimal(line, numbers_.at(static_cast<size_t>(row)));
    line.append(gap_);
    line.append(text);
    return line;
}

QStringList ListModel::Lines() const {
    if (gap_.isNull())
        return texts_;
    QStringList lines;
    lines.reserve(texts_.size());
    for (int row = 0; row < texts_.size(); ++row)
        lines.append(Line(row));
    return lines;
}

void ListModel::AppendNumbered(qint16 number, const QString& text) {
    Q_ASSERT(!gap_.isNull() && !less_);
    texts_.append(text);
    numbers_.push_back(number);
    ScheduleSync();
}

void ListModel::ScheduleSync() {
    if (syncPending_)
        return;
    syncPending_ = true;
    QTimer::singleShot(0, this, &ListModel::Sync);
}

void ListModel::Append(const QString& text) {
    Q_ASSERT(gap_.isNull());
    if (less_) {
        Sync();
        const auto at = std::upper_bound(texts_.begin(), texts_.end(), text, less_);
        const int row = static_cast<int>(at - texts_.begin());
        beginInsertRows(QModelIndex(), row, row);
        texts_.insert(row, text);
        announced_ = static_cast<int>(texts_.size());
        endInsertRows();
        return;
    }
    texts_.append(text);
    ScheduleSync();
}

void ListModel::Append(const QStringList& texts) {
    Q_ASSERT(gap_.isNull());
    if (less_) {
        for (const QString& text : texts)
            Append(text);
        return;
    }
    texts_.append(texts);
    ScheduleSync();
}

void ListModel::Sync() {
    syncPending_ = false;
    const int count = static_cast<int>(texts_.size());
    if (count == announced_)
        return;
    beginInsertRows(QModelIndex(), announced_, count - 1);
    announced_ = count;
    endInsertRows();
}

void ListModel::Remove(int row) {
    Sync();
    beginRemoveRows(QModelIndex(), row, row);
    texts_.removeAt(row);
    if (!gap_.isNull())
        numbers_.erase(numbers_.begin() + row);
    announced_ = static_cast<int>(texts_.size());
    endRemoveRows();
}

void ListModel::Clear() {
    beginResetModel();
    texts_.clear();
    numbers_.clear();
    announced_ = 0;
    endResetModel();
}

void ListModel::Assign(const QStringList& texts) {
    Q_ASSERT(gap_.isNull());
    Replace(texts);
}

void ListModel::AssignNumbered(const QStringList& texts) {
    Q_ASSERT(!gap_.isNull());
    Replace(texts);
}

void ListModel::Replace(const QStringList& texts) {
    beginResetModel();
    texts_ = texts;
    numbers_.clear();
    if (!gap_.isNull())
        for (qsizetype row = 0; row < texts.size(); ++row)
            numbers_.push_back(static_cast<qint16>(row + 1));
    announced_ = static_cast<int>(texts_.size());
    syncPending_ = false;
    endResetModel();
}

namespace {
// Marks a change made by the program, during which the list does not emit Click.
class ProgramChange {
public:
    explicit ProgramChange(int& depth) : depth_(depth) { ++depth_; }
    ~ProgramChange() { --depth_; }
    ProgramChange(const ProgramChange&) = delete;
    ProgramChange& operator=(const ProgramChange&) = delete;

private:
    int& depth_;
};
} // namespace

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { SelectionChanged(selected); });
    // A click on the entry that is already selected changes nothing, but is a click all the same.
    connect(this, &QListView::clicked, this, [this] {
        if (!changedSincePress_)
            emit Click();
    });
    connect(this, &QListView::doubleClicked, this, &ListBox::DblClick);
}

void ListBox::SelectionChanged(const QItemSelection& selected) {
    changedSincePress_ = true;
    if (programChanges_ == 0 && !selected.isEmpty())
        emit Click();
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    changedSincePress_ = false;
    QListView::mousePressEvent(event);
}

void ListBox::AddItem(const QString& text) {
    const ProgramChange change(programChanges_);
    model_->Append(text);
}

void ListBox::AddNumberedItem(qint16 number, const QString& text) {
    const ProgramChange change(programChanges_);
    model_->AppendNumbered(number, text);
}

void ListBox::AssignNumbered(const QStringList& texts) {
    const ProgramChange change(programChanges_);
    model_->AssignNumbered(texts);
}

void ListBox::AddItems(const QStringList& texts) {
    const ProgramChange change(programChanges_);
    model_->Append(texts);
}

void ListBox::RemoveItem(int index) {
    const ProgramChange change(programChanges_);
    model_->Remove(index);
}

void ListBox::Clear() {
    const ProgramChange change(programChanges_);
    model_->Clear();
}

int ListBox::ListIndex() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::SetListIndex(int index) {
    const ProgramChange change(programChanges_);
    model_->Sync();
    if (index < 0 || index >= ListCount()) {
        clearSelection();
        return;
    }
    setCurrentIndex(model_->index(index));
}

QString ListBox::Text() const {
    const int index = ListIndex();
    return index >= 0 && index < ListCount() ? List(index) : QString();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key());
    QListView::keyPressEvent(event);
}

ComboList::ComboList(QWidget* parent) : QComboBox(parent), model_(new ListModel(this)) {
    setModel(model_);
    // An edit field that shows a text but takes no typing.
    setEditable(true);
    lineEdit()->setReadOnly(true);
}

void ComboList::Clear() {
    model_->Clear();
}

void ComboList::SetListIndex(int index) {
    model_->Sync();
    setCurrentIndex(index >= 0 && index < ListCount() ? index : -1);
    if (currentIndex() < 0)
        setEditText(QString());
}
