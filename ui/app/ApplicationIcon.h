#pragma once
// The application icon (icon 128), its images decoded only when a picture is
// first asked for.

#include <QIcon>

QIcon ApplicationIcon();
