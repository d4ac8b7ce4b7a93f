#include "prefs/WebPane.h"

#include <QLabel>
#include <QVBoxLayout>

WebPane::WebPane(QWidget* parent, const QString& name) : QWidget(parent) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void WebPane::Navigate(const QString& address) {
    address_ = address;
    if (view_)
        view_->Navigate(address);
}

void WebPane::Attach(WebViewMaker& maker) {
    if (view_)
        return;
    const WebViewMaker::Made made = maker.Make(this);
    if (!made.view || !made.widget) {
        ShowUnavailable(QStringLiteral("the web view could not be made"));
        return;
    }
    delete notice_;
    notice_ = nullptr;
    view_ = made.view;
    viewWidget_ = made.widget;
    layout()->addWidget(made.widget);
    if (!address_.isEmpty())
        view_->Navigate(address_);
}

void WebPane::ShowUnavailable(const QString& problem) {
    if (viewWidget_) { // the view can show no more pages: it gives way to the notice
        viewWidget_->hide();
        viewWidget_->deleteLater();
        viewWidget_ = nullptr;
        view_ = nullptr;
    }
    if (!notice_) {
        notice_ = new QLabel(this);
        notice_->setWordWrap(true);
        notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        layout()->addWidget(notice_);
    }
    notice_->setText(QStringLiteral("Web pages cannot be shown here: %1.").arg(problem));
}

QString WebPane::Notice() const {
    return notice_ ? notice_->text() : QString();
}
