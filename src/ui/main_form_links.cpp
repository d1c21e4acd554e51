// The main window's links: the home page, the About window and the read-me.
#include "system/files.h"
#include "system/folders.h"
#include "ui/about_form.h"
#include "ui/links.h"
#include "ui/main_form.h"

void TForm1::StatusBar1Click() { OpenHomePage(); }

void TForm1::Label3Click() { OpenHomePage(); }

void TForm1::Image3Click() {
    if (Form2) Form2->ShowAbout();
}

void TForm1::OpenReadMe1Click() {
    std::string path = GetAppFolder() + "Readme.txt";
    if (IsExistingFile(path)) OpenWithDefaultProgram(path);
}
