#pragma once
// The program's logo: a small band spectrum over a frequency axis.
#include <QPixmap>

QPixmap bandwrightLogo(int size = 96);
