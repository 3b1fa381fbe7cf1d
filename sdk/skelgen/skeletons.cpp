#include "skelgen/skeletons.h"

namespace skelgen {

namespace {

// Replaces every "@NAME@" of a template.
std::string Fill(std::string text, const std::string& name) {
    const std::string mark = "@NAME@";
    for (size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + name.size()))
        text.replace(at, mark.size(), name);
    return text;
}

const char* const kConsole = R"(/* @NAME@.c: a console application. */
#include <stdio.h>

int main(void)
{
	printf("Hello from %s!\n", "@NAME@");
	return 0;
}
)";

const char* const kWindowsIds = R"(/* @NAME@res.h: the numbers shared by @NAME@.c and @NAME@.rc. */
#define IDMAINMENU 100
#define IDM_EXIT 101
#define IDM_ABOUT 102
#define IDS_GREETING 1
)";

const char* const kWindowsSource = R"(/* @NAME@.c: a Windows application. */
#include <windows.h>
#include <string.h>
#include "@NAME@res.h"

static char szAppName[] = "@NAME@";
static HINSTANCE hInst;

static LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
	switch (msg) {
	case WM_COMMAND:
		switch (LOWORD(wParam)) {
		case IDM_EXIT:
			PostMessage(hwnd, WM_CLOSE, 0, 0);
			return 0;
		case IDM_ABOUT:
			MessageBox(hwnd, "@NAME@", szAppName, MB_OK | MB_ICONINFORMATION);
			return 0;
		}
		break;
	case WM_PAINT: {
		PAINTSTRUCT ps;
		RECT rc;
		char greeting[80];
		HDC hdc = BeginPaint(hwnd, &ps);

		if (LoadString(hInst, IDS_GREETING, greeting, sizeof greeting) == 0)
			strcpy(greeting, "Hello, Windows!");
		GetClientRect(hwnd, &rc);
		DrawText(hdc, greeting, -1, &rc, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
		EndPaint(hwnd, &ps);
		return 0;
	}
	case WM_DESTROY:
		PostQuitMessage(0);
		return 0;
	}
	return DefWindowProc(hwnd, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
	WNDCLASS wc;
	HWND hwnd;
	MSG msg;

	hInst = hInstance;
	memset(&wc, 0, sizeof wc);
	wc.style = CS_HREDRAW | CS_VREDRAW;
	wc.lpfnWndProc = MainWndProc;
	wc.hInstance = hInstance;
	wc.hIcon = LoadIcon(NULL, IDI_APPLICATION);
	wc.hCursor = LoadCursor(NULL, IDC_ARROW);
	wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
	wc.lpszMenuName = MAKEINTRESOURCE(IDMAINMENU);
	wc.lpszClassName = szAppName;
	if (!RegisterClass(&wc))
		return 0;
	hwnd = CreateWindow(szAppName, szAppName, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
			    CW_USEDEFAULT, 0, NULL, NULL, hInstance, NULL);
	if (hwnd == NULL)
		return 0;
	ShowWindow(hwnd, nCmdShow);
	UpdateWindow(hwnd);
	while (GetMessage(&msg, NULL, 0, 0)) {
		TranslateMessage(&msg);
		DispatchMessage(&msg);
	}
	return (int)msg.wParam;
}
)";

const char* const kWindowsScript = R"(/* @NAME@.rc: the resources of @NAME@.c. */
#include <windows.h>
#include "@NAME@res.h"

IDMAINMENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "E&xit", IDM_EXIT
    END
    POPUP "&Help"
    BEGIN
        MENUITEM "&About @NAME@...", IDM_ABOUT
    END
END

STRINGTABLE
BEGIN
    IDS_GREETING, "Hello from @NAME@!"
END
)";

const char* const kDllHeader = R"(/* @NAME@.h: what @NAME@.dll exports. */
#ifndef @GUARD@
#define @GUARD@
#include <windows.h>

__declspec(dllexport) const char *WINAPI Greeting(void);

#endif
)";

const char* const kDllSource = R"(/* @NAME@.c: a dynamic link library. */
#include <windows.h>
#include "@NAME@.h"

BOOL WINAPI LibMain(HINSTANCE hDLLInst, DWORD fdwReason, LPVOID lpvReserved)
{
	switch (fdwReason) {
	case DLL_PROCESS_ATTACH:
		/* The library is being loaded into a process. */
		break;
	case DLL_PROCESS_DETACH:
		/* The library is being unloaded. */
		break;
	case DLL_THREAD_ATTACH:
	case DLL_THREAD_DETACH:
		break;
	}
	return TRUE;
}

__declspec(dllexport) const char *WINAPI Greeting(void)
{
	return "Hello from @NAME@!";
}
)";

// The header's include guard: the name in upper case, other characters as '_'.
std::string Guard(const std::string& name) {
    std::string guard = "SKELGEN_";
    for (char c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        guard += (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : '_';
    }
    return guard + "_H";
}

}  // namespace

bool UsableProjectName(const std::string& name) {
    if (name.empty() || name[0] == '.' || name[0] == '-') return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '"' || c == '*' || c == '?')
            return false;
    return true;
}

std::vector<SkeletonFile> MakeSkeleton(const std::string& name, Kind kind) {
    switch (kind) {
        case Kind::Console:
            return {{name + ".c", Fill(kConsole, name), true}};
        case Kind::Windows:
            return {{name + ".c", Fill(kWindowsSource, name), true},
                    {name + ".rc", Fill(kWindowsScript, name), true},
                    {name + "res.h", Fill(kWindowsIds, name), false}};
        case Kind::Dll: {
            std::string header = kDllHeader;
            const std::string mark = "@GUARD@";
            for (size_t at = header.find(mark); at != std::string::npos; at = header.find(mark))
                header.replace(at, mark.size(), Guard(name));
            return {{name + ".c", Fill(kDllSource, name), true},
                    {name + ".h", Fill(header, name), true}};
        }
    }
    return {};
}

}  // namespace skelgen
