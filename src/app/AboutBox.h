#pragma once

#include "ResultDialog.h"

namespace talvaro {

class TAboutBox : public ResultDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

} // namespace talvaro
