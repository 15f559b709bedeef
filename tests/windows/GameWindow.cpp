#include "GameWindow.h"

namespace {

const wchar_t kWindowClass[] = L"QuenvoTestHost";

void registerWindowClass() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass); // fails harmlessly when a previous window registered it
}

} // namespace

GameWindow::GameWindow(UINT width, UINT height) : _width(width), _height(height) {
    registerWindowClass();
    _window =
        CreateWindowW(kWindowClass, L"Quenvo test host", WS_OVERLAPPEDWINDOW, 0, 0, int(width),
                      int(height), nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    _d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!_window || !_d3d)
        return;

    D3DPRESENT_PARAMETERS present = {};
    present.BackBufferWidth = width;
    present.BackBufferHeight = height;
    present.BackBufferFormat = D3DFMT_X8R8G8B8;
    present.BackBufferCount = 1;
    present.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present.hDeviceWindow = _window;
    present.Windowed = TRUE;
    present.EnableAutoDepthStencil = TRUE;
    present.AutoDepthStencilFormat = D3DFMT_D24S8;
    present.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    _createResult = _d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, _window,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &present, &_device);
    if (FAILED(_createResult))
        _device = nullptr;
}

GameWindow::~GameWindow() {
    if (_device)
        _device->Release();
    if (_d3d)
        _d3d->Release();
    if (_window)
        DestroyWindow(_window);
}

void GameWindow::frame(D3DCOLOR clearColour, const std::function<void()> &inScene) {
    pumpMessages();
    _device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColour, 1.0f, 0);
    _device->BeginScene();
    inScene();
    _device->EndScene();
    _device->Present(nullptr, nullptr, nullptr, nullptr);
}

void GameWindow::pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
