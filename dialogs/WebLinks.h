#pragma once

#include <QString>

// The addresses of the maker's pages, fixed for the life of the process.
class WebLinks
{
public:
    static const WebLinks &Instance();

    QString helpPage() const { return host + QStringLiteral("/media-player/Vantorel.html"); }
    QString aboutPage() const { return host + QStringLiteral("/about.html"); }
    QString contactPage() const { return host + QStringLiteral("/contact-us.html"); }

private:
    WebLinks() = default;
    const QString host = QStringLiteral("http://www.vantorel.org");
};
