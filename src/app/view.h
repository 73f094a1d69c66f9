#pragma once

#include "image/parameter_image.h"

#include <QWidget>

// The empty form the main window shows. Its lifetime brackets the serial link: it opens
// port 1 when it is created and closes the link when it is destroyed.
class CTQXLOADER961114View : public QWidget {
    Q_OBJECT
public:
    explicit CTQXLOADER961114View(ParameterImage& image, QWidget* parent = nullptr);
    ~CTQXLOADER961114View() override;
};
