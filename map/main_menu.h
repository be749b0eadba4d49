// The map window's menus and map clicks, working on the model through the window.
#pragma once

#include <QString>

namespace corv {

class Form1;

class MainMenu {
public:
    explicit MainMenu(Form1& form) : form_(form) {}
    void pick(const QString& item);          // lstMenu1_Click
    void pickPicture(const QString& item);   // lstMenu2_Click
    void mapClick(int button, int shift, float x, float y);  // Image1_MouseUp

private:
    Form1& form_;
};

}  // namespace corv
