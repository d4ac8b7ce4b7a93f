// What the preferences tests share: a main window on a temporary program folder, loaded as at
// start-up, and web views that record where they were sent.
#pragma once

#include "prefs/WebView.h"
#include "prefs/frmInfo.h"
#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

// Views that record each navigation as (view name, address) instead of loading pages.
class RecordingWebViews final : public WebViewMaker {
public:
    std::vector<std::pair<QString, QString>> navigations;

    Made Make(QWidget* parent) override {
        auto* view = new View(parent, parent->objectName(), navigations);
        return {view, view};
    }
    int CountFor(const QString& view, const QString& address) const {
        int n = 0;
        for (const auto& [name, to] : navigations)
            n += name == view && to == address ? 1 : 0;
        return n;
    }

private:
    class View final : public QLabel, public WebView {
    public:
        View(QWidget* parent, QString name, std::vector<std::pair<QString, QString>>& log)
            : QLabel(parent), name_(std::move(name)), log_(log) {}
        void Navigate(const QString& address) override { log_.emplace_back(name_, address); }

    private:
        QString name_;
        std::vector<std::pair<QString, QString>>& log_;
    };
};

class PrefsWindow {
public:
    explicit PrefsWindow(bool withLibrary = true) : folder(withLibrary) {}
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    RecordingSender sender;
    RecordingWebViews views;
    std::unique_ptr<frmPlayer> player;

    // Loads the main window (which loads the preferences window) with recording web views.
    frmInfo& Load() {
        player = std::make_unique<frmPlayer>(PlayerServices{dialogs, sender, folder.Path(), {}});
        Info().SetWebEngine([this](QString*) { return &views; });
        LoadAndReload(*player);
        Info().StartWebViews();
        return Info();
    }
    frmInfo& Info() { return *player->info(); }
    // The names of the pages the user sees.
    QStringList VisiblePages() {
        QStringList shown;
        for (QWidget* page : {Info().fraPlaylists, Info().fraEmpty, Info().fraUpdates,
                              Info().fraDefault, Info().fraPlayCount})
            if (!page->isHidden())
                shown << page->objectName();
        return shown;
    }
};
