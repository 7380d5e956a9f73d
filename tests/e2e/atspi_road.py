#!/usr/bin/python3
"""One imitation driven as assistive technology drives the monitor: through the
AT-SPI tree alone, plus one click of a real pointer. The monitor runs in demo
mode against its simulated bench. Checks what screen readers rely on: buttons
are named by their current captions, value displays expose their values, hidden
pages are not in the tree, and a radio button toggled through AT-SPI acts.

Usage: atspi_road.py MONITOR [SCREENSHOT.png]  (inside tests/e2e/atspi_session.sh)
"""
import os
import shutil
import subprocess
import sys
import time

import pyatspi

MONITOR = sys.argv[1]
SHOT = sys.argv[2] if len(sys.argv) > 2 else None
STEP = 20.0  # seconds for one step of the road
SEARCH = 90.0  # the module search tries ten addresses

failures = []
LABEL = {pyatspi.ROLE_LABEL} | ({pyatspi.ROLE_STATIC} if hasattr(pyatspi, "ROLE_STATIC") else set())
TEXT = {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY}


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def wait(predicate, seconds, what):
    end = time.monotonic() + seconds
    while True:
        try:
            value = predicate()
        except Exception:  # the tree changes under our feet
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise TimeoutError(what)
        time.sleep(0.1)


def fresh(acc):
    try:
        acc.clearCache()
    except Exception:
        pass
    return acc


def walk(acc, showing_only=True):
    stack = [acc]
    while stack:
        a = stack.pop()
        if a is None:
            continue
        fresh(a)
        yield a
        states = a.getState()
        if showing_only and a is not acc and not states.contains(pyatspi.STATE_SHOWING):
            continue
        stack.extend(reversed([a.getChildAtIndex(i) for i in range(a.childCount)]))


def find(root, role, name=None, description=None, showing=True):
    roles = role if isinstance(role, set) else {role}
    for a in walk(root):
        if a.getRole() not in roles:
            continue
        if name is not None and a.name != name:
            continue
        if description is not None and a.description != description:
            continue
        if showing and not a.getState().contains(pyatspi.STATE_SHOWING):
            continue
        return a
    return None


def find_all(root, role, **kw):
    roles = role if isinstance(role, set) else {role}
    return [a for a in walk(root) if a.getRole() in roles and all(getattr(a, k) == v for k, v in kw.items())]


def act(acc, action):
    ai = acc.queryAction()
    names = [ai.getName(i) for i in range(ai.nActions)]
    if action not in names:
        raise AssertionError("%s has no action %s (%s)" % (acc.name, action, names))
    ai.doAction(names.index(action))


def text_of(acc):
    t = fresh(acc).queryText()
    return t.getText(0, -1)


def number(text):
    return float(text.replace(",", ".").replace("%", "").strip())


def app_frame():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None:
            continue
        for j in range(app.childCount):
            w = app.getChildAtIndex(j)
            if w is not None and w.name.startswith("Монитор Тевор ЦТМ-01"):
                return app, w
    return None


def click_with_pointer(acc, button=1):
    ext = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = ext.x + ext.width // 2, ext.y + ext.height // 2
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)], check=True,
                   timeout=STEP)


def app_window(app, prefix):
    for i in range(fresh(app).childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.name.startswith(prefix):
            return w
    return None


def open_menu(app):
    for i in range(fresh(app).childCount):
        w = fresh(app.getChildAtIndex(i))
        if w is not None and w.getRole() in (pyatspi.ROLE_POPUP_MENU, pyatspi.ROLE_MENU) \
                and w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def prepare_settings():
    # A model chosen in an earlier session, and short link time-outs so the
    # search of the ten addresses does not take minutes.
    folder = os.path.join(os.environ["XDG_DATA_HOME"], "qtm-monitor", "demo")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "QTM.ini"), "w", encoding="utf-8") as f:
        f.write("[QTM Address]\nPribors=0\n")
        for section in ("QTM", "PRIBOR"):
            f.write("[%s]\nReceive Delay=150\nError Retriers=0\n" % section)
    return folder


def road():
    folder = prepare_settings()
    found = wait(app_frame, STEP, "the main window in the AT-SPI tree")
    app, main = found
    check(app.name == "qtm-monitor", "the application is named qtm-monitor (%r)" % app.name)
    check(os.path.isfile(os.path.join(folder, "QTM.ini")), "the demo keeps its settings under qtm-monitor/")

    # Hidden pages are not in the tree.
    tabs = wait(lambda: find(main, pyatspi.ROLE_PAGE_TAB_LIST), STEP, "the page tabs")
    page_tabs = [fresh(tabs.getChildAtIndex(i)) for i in range(tabs.childCount)]
    page_tabs = [t for t in page_tabs if t.getRole() == pyatspi.ROLE_PAGE_TAB]
    captions = [t.name for t in page_tabs]
    check(captions == ["Конфигурация системы", "Имитация расхода", "Имитация накопл. объема", "Протокол"],
          "only the pages of the task are tabs: %s" % captions)

    # A hidden control is not offered to be pressed.
    reset = [a for a in walk(main, showing_only=False)
             if a.getRole() == pyatspi.ROLE_PUSH_BUTTON and a.name == "Сброс всех режимов"]
    check(len(reset) == 1 and not reset[0].getState().contains(pyatspi.STATE_SHOWING)
          and "Press" not in [reset[0].queryAction().getName(i) for i in range(reset[0].queryAction().nActions)],
          "the hidden reset of all modes cannot be pressed")

    # The link dialog is a window of its own, announced with its title.
    act(find(main, pyatspi.ROLE_PUSH_BUTTON, "Параметры"), "Press")
    canal = wait(lambda: app_window(app, "Настройка канала"), STEP, "the link dialog")
    check(canal.getRole() == pyatspi.ROLE_FRAME, "the link dialog is a window (%s)" % canal.getRoleName())
    act(find(canal, pyatspi.ROLE_PUSH_BUTTON, "Отмена"), "Press")
    wait(lambda: app_window(app, "Настройка канала") is None
         or not fresh(app_window(app, "Настройка канала")).getState().contains(pyatspi.STATE_SHOWING),
         STEP, "the link dialog closed")

    # The bench link: the button is announced by its new caption.
    connect = find(main, pyatspi.ROLE_PUSH_BUTTON, "Подключиться", "Подключиться к ЦТМ")
    check(connect is not None, "the bench link button is found by caption and description")
    act(connect, "Press")
    wait(lambda: find(main, pyatspi.ROLE_PUSH_BUTTON, "Отключиться", "Подключиться к ЦТМ"), STEP,
         "the bench link button announced as Отключиться")
    check(True, "the bench link button now reads Отключиться")
    panel = wait(lambda: find(main, LABEL, description="Состояние связи"), STEP, "status panel")
    check(wait(lambda: fresh(panel).name == "QTM on", STEP, "status QTM on"),
          "the status panel exposes its text (%r)" % panel.name)
    server = find(main, LABEL, description="Состояние сервера")
    check(server is not None and server.name == "Вкл сервер", "the server panel reads Вкл сервер")

    flow = find(main, pyatspi.ROLE_PUSH_BUTTON, "Подключиться", "Подключиться к расходомеру")
    check(flow is not None, "the flowmeter link button is told apart by its description")
    act(flow, "Press")
    wait(lambda: find(main, pyatspi.ROLE_PUSH_BUTTON, "Отключиться", "Подключиться к расходомеру"), STEP,
         "the flowmeter link button announced as Отключиться")

    # The module search, with a real pointer.
    search = find(main, pyatspi.ROLE_PUSH_BUTTON, "Проверка связи", "Поиск плат ЦТМ с №1 по №10")
    check(search is not None, "the search button")
    click_with_pointer(search)
    wait(lambda: not fresh(search).getState().contains(pyatspi.STATE_ENABLED), STEP, "the search started")
    wait(lambda: fresh(search).getState().contains(pyatspi.STATE_ENABLED), SEARCH, "the search ended")
    grid = find(main, pyatspi.ROLE_TABLE)
    cells = grid.queryTable()
    rows = [[fresh(cells.getAccessibleAt(r, c)).name for c in range(cells.nColumns)] for r in range(cells.nRows)]
    print(rows)
    imr = [row for row in rows if row[0].startswith("Модуль имитации расхода")]
    check(imr and imr[0][1] == "1" and imr[0][2].startswith("ТЕВОР ЦТМ ИМР"),
          "the grid shows the ИМР at address 1: %s" % imr)
    if SHOT and shutil.which("import"):
        subprocess.run(["import", "-window", "root", SHOT], timeout=STEP)

    # The imitation page.
    act(next(t for t in page_tabs if t.name == "Имитация расхода"), "Press")
    start = wait(lambda: find(main, pyatspi.ROLE_PUSH_BUTTON, "Начать имитацию"), STEP, "the start button")
    act(start, "Press")
    stop = wait(lambda: find(main, pyatspi.ROLE_PUSH_BUTTON, "Остановить имитацию"), 2 * STEP,
                "the start button announced as Остановить имитацию")
    check(stop is not None, "the imitation runs at point 0; the button reads Остановить имитацию")

    # Point 30 chosen the way AT-SPI chooses: toggle, not press.
    point = wait(lambda: find(main, pyatspi.ROLE_RADIO_BUTTON, "30"), STEP, "point 30")
    check(fresh(point).getState().contains(pyatspi.STATE_ENABLED), "the points are usable while imitating")
    act(point, "Toggle")
    imitated = find(main, TEXT, "Имитируемый расход, м3/ч")
    check(imitated is not None, "the imitated flow rate field is named by its label")
    q = wait(lambda: number(text_of(imitated)) > 20 and number(text_of(imitated)), STEP,
             "a flow rate written for point 30")
    check(25 < q < 40, "point 30 chosen through AT-SPI imitates %.3f m3/h" % q)

    # A point chosen with the real pointer acts as well.
    point130 = find(main, pyatspi.ROLE_RADIO_BUTTON, "130")
    click_with_pointer(point130)
    q130 = wait(lambda: number(text_of(imitated)) > 100 and number(text_of(imitated)), STEP,
                "a flow rate written for point 130")
    check(120 < q130 < 145, "point 130 clicked with the pointer imitates %.3f m3/h" % q130)

    # The calculator: its error label reads as the error.
    calc_button = find(main, pyatspi.ROLE_PUSH_BUTTON, "Калькулятор")
    act(calc_button, "Press")
    calc = wait(lambda: next(w for w in (app.getChildAtIndex(i) for i in range(app.childCount))
                             if w is not None and w.name.startswith("Калькулятор ЦТМ")), STEP, "the calculator")

    check(calc.getRole() == pyatspi.ROLE_FRAME, "the calculator is a window (%s)" % calc.getRoleName())
    groups = [a.name for a in walk(calc) if a.getRole() in (pyatspi.ROLE_PANEL, pyatspi.ROLE_GROUPING)]
    check({"Расход", "Ток", "Объем"} <= set(groups), "the calculator's groups read by their captions: %s" % groups)

    reference = find(calc, TEXT, "Эталонное")
    check(reference is not None and abs(number(text_of(reference)) - q130) < 0.01,
          "the calculator's reference is the imitated flow rate")

    def error_matches():
        # Once the flowmeter has measured the new rate, the label reads the error of the shown values.
        label = next((a for a in find_all(calc, LABEL, description="Погрешность")
                      if a.name.endswith("%") and a.name != "%"), None)
        measured = find_all(calc, TEXT, name="Измеренное")
        if label is None or not measured:
            return None
        qe, qi = number(text_of(reference)), number(text_of(measured[0]))
        shown = number(label.name)
        return shown < 5 and abs(shown - abs(qe - qi) / qe * 100) < 0.01 and label.name

    error = wait(error_matches, STEP, "the flow-rate error in the calculator")
    check(bool(error), "the calculator's error reads as its value: %r" % error)

    # The colour menu of a field is in the tree while it is open.
    click_with_pointer(imitated, 3)
    menu = wait(lambda: open_menu(app), STEP, "the colour menu in the tree")
    items = [fresh(menu.getChildAtIndex(i)).name for i in range(menu.childCount)]
    check("Изменить цвет" in items, "the open colour menu offers its items: %s" % items)
    subprocess.run(["xdotool", "key", "Escape"], check=True, timeout=STEP)
    wait(lambda: open_menu(app) is None, STEP, "the colour menu closed")

    act(stop, "Press")
    wait(lambda: find(main, pyatspi.ROLE_PUSH_BUTTON, "Начать имитацию"), STEP,
         "the stop button announced as Начать имитацию")
    check(text_of(imitated) == "0.000", "the imitation stopped")
    check(not find_all(app, pyatspi.ROLE_ALERT) and not find_all(app, pyatspi.ROLE_DIALOG),
          "no message was shown on the road")


def main():
    monitor = None
    try:
        prepare_settings()
        monitor = subprocess.Popen([MONITOR, "--demo"])
        road()
    except Exception as e:  # a step that never came, a missing control
        check(False, "%s: %s" % (type(e).__name__, e))
    finally:
        if monitor is not None:
            monitor.terminate()
            try:
                monitor.wait(STEP)
            except subprocess.TimeoutExpired:
                monitor.kill()
                monitor.wait()
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
