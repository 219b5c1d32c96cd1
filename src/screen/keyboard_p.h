#pragma once

#include <Qt>

// Private to the screen subsystem: the keyboard map of the sale screen and its key buffer.

class QChar;
class SaleContext;

// Single keys and Alt combinations become the screen's actions, each under the conditions its
// button has. Typed characters go to the key buffer (lblBuffer), which Enter reads.
class KeyboardMap
{
public:
    explicit KeyboardMap(SaleContext &context) : m_context(context) {}

    // Setting Key to 0 stops the key (no FormKeyPress follows).
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift);
    // Setting Key to a null character drops it.
    void FormKeyPress(QChar &Key);

private:
    void functionKey(int key, int &Key, bool choice);
    void keyCombinations(int pressed, int &Key, Qt::KeyboardModifiers Shift);
    void backspaceKey();
    void enterKey();
    void qrCodeEnter();
    void settleOrSend();
    void escapeKey();
    // F4 and F12 (keyboard_actions.cpp).
    void changeOperator();
    void reloadOperator();
    bool openDrawer();

    SaleContext &m_context;
};
