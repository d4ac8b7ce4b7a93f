// In-memory lists that stand where the main window keeps hidden list boxes used as arrays.
// Invariant of a HiddenList: -1 <= ListIndex < ListCount().
#pragma once

#include "core/Decimal.h"

#include <QCollator>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

class HiddenList {
public:
    void AddItem(const QString& item) { items_.append(item); }
    void Reserve(int count) { items_.reserve(count); }
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

private:
    QStringList items_;
    int listIndex_ = -1;
};

// A hidden list of song identities, read as text like a HiddenList, but kept as numbers: it stands
// beside a track list of up to 32,767 lines.
class IdList {
public:
    void AddId(qint64 id) { ids_.push_back(static_cast<qint32>(id)); }
    void Reserve(int count) { ids_.reserve(static_cast<size_t>(count)); }
    void RemoveItem(int index) {
        ids_.erase(ids_.begin() + index);
        if (listIndex_ >= ListCount())
            listIndex_ = ListCount() - 1;
    }
    void Clear() {
        ids_.clear();
        listIndex_ = -1;
    }
    int ListCount() const { return static_cast<int>(ids_.size()); }
    qint32 Id(int index) const { return ids_.at(static_cast<size_t>(index)); }
    QString List(int index) const { return DecimalText(Id(index)); }
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index) { listIndex_ = index >= -1 && index < ListCount() ? index : -1; }
    QString Text() const { return listIndex_ >= 0 ? List(listIndex_) : QString(); }
    QStringList Items() const {
        QStringList items;
        items.reserve(ListCount());
        for (int i = 0; i < ListCount(); ++i)
            items.append(List(i));
        return items;
    }

private:
    std::vector<qint32> ids_;
    int listIndex_ = -1;
};

// A list that keeps its entries sorted. Identical entries always stand together; entries that
// differ but compare equal (such as "Beta" and "beta" without regard to case) are ordered by
// their characters, so the order never depends on the order of adding. Sorting is done lazily,
// at the first read after additions, over the distinct entries only. A sorted list keeps each
// distinct entry once with its count: the artists of 32,767 songs are a few thousand texts.
class SortedList {
public:
    enum class Order {
        // Alphabetical without regard to case, in the language of `locale`. The texts are case
        // folded before collation: some collators (the "C" locale's) ignore the case setting.
        Collated,
        CountThenText, // keys that start with a count: by the count as a number, then the text
    };
    explicit SortedList(Order order, const QLocale& locale = QLocale()) : order_(order) {
        if (order == Order::Collated) {
            collator_ = std::make_shared<QCollator>(locale);
            collator_->setCaseSensitivity(Qt::CaseInsensitive);
        }
    }

    void AddItem(const QString& item) { added_.append(item); }
    void Reserve(int count) { added_.reserve(count); }
    void Clear() {
        distinct_.clear();
        ends_.clear();
        added_.clear();
    }
    int ListCount() const {
        return (ends_.empty() ? 0 : ends_.back()) + static_cast<int>(added_.size());
    }
    const QString& List(int index) const {
        Sorted();
        const auto run = std::upper_bound(ends_.begin(), ends_.end(), index);
        return distinct_.at(run - ends_.begin());
    }
    // The distinct entries, in order.
    const QStringList& Distinct() const {
        Sorted();
        return distinct_;
    }
    QStringList Items() const {
        Sorted();
        QStringList items;
        items.reserve(ListCount());
        for (qsizetype run = 0; run < distinct_.size(); ++run)
            for (int n = ends_[run] - (run > 0 ? ends_[run - 1] : 0); n > 0; --n)
                items.append(distinct_[run]);
        return items;
    }

    // For sorted list boxes: alphabetical without regard to case, in the user's language.
    using Less = std::function<bool(const QString&, const QString&)>;
    static Less CaseInsensitiveCollation(const QLocale& locale = QLocale()) {
        auto collator = std::make_shared<QCollator>(locale);
        collator->setCaseSensitivity(Qt::CaseInsensitive);
        return [collator](const QString& a, const QString& b) {
            const int order = collator->compare(a, b);
            return order != 0 ? order < 0 : a < b;
        };
    }
    // The order of distinct texts in a Collated list, as indexes into `texts`.
    std::vector<int> CollatedOrder(const QStringList& texts) const {
        std::vector<QCollatorSortKey> keys;
        keys.reserve(static_cast<size_t>(texts.size()));
        for (const QString& text : texts)
            keys.push_back(collator_->sortKey(text.toCaseFolded()));
        std::vector<int> order(static_cast<size_t>(texts.size()));
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = static_cast<int>(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            const int c = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
            return c != 0 ? c < 0 : CharacterLess(texts[a], texts[b]);
        });
        return order;
    }
    // Fills the list with distinct entries already in its order (the caller sorted them with
    // CollatedOrder), each `counts[i]` times: nothing is sorted again.
    void AssignSorted(QStringList distinct, const std::vector<int>& counts) {
        Clear();
        for (qsizetype i = 0; i < distinct.size(); ++i) {
            const int count = counts[static_cast<size_t>(i)];
            if (count <= 0)
                continue;
            distinct_.append(distinct[i]);
            ends_.push_back((ends_.empty() ? 0 : ends_.back()) + count);
        }
    }
    static long long LeadingCount(const QString& key) {
        long long count = 0;
        for (const QChar c : key) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                break;
            count = count * 10 + (c.unicode() - '0');
        }
        return count;
    }

private:
    // Sorts the entries added since the last read in with the runs already sorted.
    void Sorted() const {
        if (added_.isEmpty())
            return;
        // Every distinct text once with its count, in plain character order (cheap).
        std::vector<std::pair<QString, int>> runs;
        runs.reserve(static_cast<size_t>(distinct_.size() + added_.size()));
        for (qsizetype run = 0; run < distinct_.size(); ++run)
            runs.emplace_back(distinct_[run], ends_[run] - (run > 0 ? ends_[run - 1] : 0));
        for (const QString& item : added_)
            runs.emplace_back(item, 1);
        added_.clear();
        std::sort(runs.begin(), runs.end(),
                  [](const auto& a, const auto& b) { return CharacterLess(a.first, b.first); });
        QStringList texts;
        std::vector<int> counts;
        for (auto& [text, count] : runs) {
            if (!texts.isEmpty() && texts.constLast() == text) {
                counts.back() += count;
                continue;
            }
            texts.append(std::move(text));
            counts.push_back(count);
        }
        distinct_.clear();
        ends_.clear();
        for (int i : order_ == Order::Collated ? CollatedOrder(texts) : CountOrder(texts)) {
            distinct_.append(texts[i]);
            ends_.push_back((ends_.empty() ? 0 : ends_.back()) + counts[static_cast<size_t>(i)]);
        }
    }

    // The order of distinct keys by their leading count, then their characters.
    static std::vector<int> CountOrder(const QStringList& keys) {
        std::vector<std::pair<long long, int>> order;
        order.reserve(static_cast<size_t>(keys.size()));
        for (qsizetype i = 0; i < keys.size(); ++i)
            order.emplace_back(LeadingCount(keys[i]), static_cast<int>(i));
        std::sort(order.begin(), order.end(), [&](const auto& x, const auto& y) {
            return x.first != y.first ? x.first < y.first
                                      : CharacterLess(keys[x.second], keys[y.second]);
        });
        std::vector<int> indexes;
        indexes.reserve(order.size());
        for (const auto& entry : order)
            indexes.push_back(entry.second);
        return indexes;
    }

    Order order_;
    std::shared_ptr<QCollator> collator_;
    mutable QStringList distinct_;  // sorted: each distinct entry once
    mutable std::vector<int> ends_; // entries up to and including each distinct entry
    mutable QStringList added_;     // added since the last sort
};
