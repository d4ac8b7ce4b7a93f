// In-memory lists that stand where the main window keeps hidden list boxes used as arrays.
// Invariant of a HiddenList: -1 <= ListIndex < ListCount().
#pragma once

#include <QCollator>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <functional>

class HiddenList {
public:
    void AddItem(const QString& item) { items_.append(item); }
    void RemoveItem(int index) {
        items_.removeAt(index);
        if (listIndex_ >= items_.size())
            listIndex_ = static_cast<int>(items_.size()) - 1;
    }
    void Clear() {
        items_.clear();
        listIndex_ = -1;
    }
    int ListCount() const { return static_cast<int>(items_.size()); }
    const QString& List(int index) const { return items_.at(index); }
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index) { listIndex_ = index >= -1 && index < ListCount() ? index : -1; }
    // The selected entry's text, or empty text when none is selected.
    QString Text() const { return listIndex_ >= 0 ? items_.at(listIndex_) : QString(); }
    const QStringList& Items() const { return items_; }
    void Assign(const QStringList& items) {
        items_ = items;
        listIndex_ = -1;
    }

private:
    QStringList items_;
    int listIndex_ = -1;
};

// A list that keeps its entries sorted; entries that compare equal stay next to each other in
// the order they were added. Sorting is done lazily at the first read after additions, so
// filling it with n entries costs n log n, not n squared.
class SortedList {
public:
    using Less = std::function<bool(const QString&, const QString&)>;
    explicit SortedList(Less less) : less_(std::move(less)) {}

    void AddItem(const QString& item) {
        items_.append(item);
        sorted_ = false;
    }
    void Clear() {
        items_.clear();
        sorted_ = true;
    }
    int ListCount() const { return static_cast<int>(items_.size()); }
    const QString& List(int index) const { return Sorted().at(index); }
    const QStringList& Items() const { return Sorted(); }

    // Alphabetical without regard to case, in the user's language.
    static Less CaseInsensitiveCollation(const QLocale& locale = QLocale()) {
        auto collator = std::make_shared<QCollator>(locale);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
        return
            [collator](const QString& a, const QString& b) { return collator->compare(a, b) < 0; };
    }
    // Plain character order (a blank sorts before every digit).
    static Less CharacterOrder() {
        return [](const QString& a, const QString& b) { return a < b; };
    }

private:
    const QStringList& Sorted() const {
        if (!sorted_) {
            std::stable_sort(items_.begin(), items_.end(), less_);
            sorted_ = true;
        }
        return items_;
    }
    Less less_;
    mutable QStringList items_;
    mutable bool sorted_ = true;
};
