// The main window's links: the home page, the About window and the read-me.
#include "app/about_form.h"
#include "app/file_text.h"
#include "app/links.h"
#include "app/main_form.h"
#include "system/folders.h"

void TForm1::StatusBar1Click() { OpenHomePage(); }

void TForm1::Label3Click() { OpenHomePage(); }

void TForm1::Image3Click() {
    if (Form2) Form2->ShowAbout();
}

void TForm1::OpenReadMe1Click() {
    std::string path = GetAppFolder() + "Readme.txt";
    if (IsExistingFile(path)) ShellOpen(path);
}
