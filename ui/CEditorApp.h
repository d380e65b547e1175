#pragma once

// The application object: allows one running instance and runs the launcher.
class CEditorApp
{
public:
    // Returns false in every case: the program ends when the launcher closes,
    // or at once when another instance is running.
    bool InitInstance();
};

extern CEditorApp theApp;
