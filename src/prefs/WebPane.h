// The place of one web view in a page of the preferences window. The window navigates the pane
// from its load on; the pane keeps the last address and hands it to its view once the web engine
// has made one. When the engine cannot start, or stops, the pane shows a plain line instead.
#pragma once

#include "prefs/WebView.h"

#include <QWidget>

class QLabel;

class WebPane final : public QWidget, public WebView {
    Q_OBJECT
public:
    explicit WebPane(QWidget* parent, const QString& name);

    void Navigate(const QString& address) override;
    const QString& Address() const { return address_; }

    // Makes the pane's view and sends it to the last address. Without a view it shows why.
    void Attach(WebViewMaker& maker);
    // Shows why no page can be shown, in place of the view if there is one.
    void ShowUnavailable(const QString& problem);
    bool HasView() const { return view_ != nullptr; }
    QString Notice() const; // the plain line shown instead of a view; empty when none

private:
    QString address_;
    WebView* view_ = nullptr;
    QWidget* viewWidget_ = nullptr;
    QLabel* notice_ = nullptr;
};
