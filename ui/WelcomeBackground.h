#pragma once

#include <QLabel>

// The start page's picture. It is read when the page is first shown (a
// player started with a file never shows it), at half its stored size: the
// JPEG decoder then scales while decoding, which costs a quarter of a full
// read, and the page stretches it to its own size anyway.
class WelcomeBackground : public QLabel
{
public:
    explicit WelcomeBackground(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
};
