#pragma once

#include <QString>

// An address on the maker's web service: "https://" or "http://", serviceHost (with its port, if any), then path.
// Empty when serviceHost is: a program built without a service host contacts no host and shows no address of one.
QString ServiceAddress(bool https, const QString& serviceHost, const QString& path);
