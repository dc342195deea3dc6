#!/usr/bin/env python3
"""The review pages in a real browser: a small campaign and a small
sensitivity study flown, their pages written by --report and by ascent report
from the CSV, and each page loaded in headless Chromium: no console error, no
request beyond the page itself, every chart drawn with a size, every number
the page shows equal to the embedded JSON, and the page printed to PDF.

Exit status 77 (skipped) when Chromium or selenium is missing and CI is not set."""
import argparse
import base64
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile


def embedded(page):
    text = pathlib.Path(page).read_text(encoding="utf-8")
    start = text.index('<script type="application/json" id="summary">')
    start = text.index(">", start) + 1
    body = text[start:text.index("</script>", start)]
    return body.replace("<\\/", "</").replace("\\u003c!--", "<!--")


def value_at(root, path):
    for step in path.split("/"):
        root = root[int(step)] if isinstance(root, list) else root[step]
    return root


def shown(value, scale, digits):
    if value is None:
        return "\u2013"
    return f"{value * scale:.{digits}f}"


def browser():
    try:
        from selenium import webdriver
    except ImportError:
        # Debian's python3-selenium, when another Python runs the test.
        sys.path.append("/usr/lib/python3/dist-packages")
        try:
            from selenium import webdriver
        except ImportError:
            return None
    from selenium.webdriver.chrome.service import Service
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    driver_path = shutil.which("chromedriver")
    if not chromium or not driver_path:
        return None
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    service = Service(executable_path=driver_path)
    return webdriver.Chrome(options=options, service=service)


def check_page(driver, page, json_text, problems):
    from selenium.webdriver.common.by import By

    url = pathlib.Path(page).resolve().as_uri()
    driver.get(url)
    name = os.path.basename(page)
    errors = [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]
    if errors:
        problems.append(f"{name}: console errors {errors}")
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            requested = message["params"]["request"]["url"]
            if requested != url:
                problems.append(f"{name}: requested {requested}")
    charts = driver.find_elements(By.CSS_SELECTOR, "svg")
    if len(charts) < 2:
        problems.append(f"{name}: {len(charts)} charts")
    for chart in charts:
        if chart.size["width"] <= 0 or chart.size["height"] <= 0:
            problems.append(f"{name}: a chart of size {chart.size}")
    data = driver.execute_script("return JSON.parse(document.getElementById('summary').textContent)")
    if data != json.loads(json_text):
        problems.append(f"{name}: the browser reads another JSON than --json printed")
    numbers = driver.find_elements(By.CSS_SELECTOR, "[data-json]")
    for element in numbers:
        path = element.get_attribute("data-json")
        scale = float(element.get_attribute("data-scale"))
        digits = int(element.get_attribute("data-digits"))
        expected = shown(value_at(data, path), scale, digits)
        if element.text != expected:
            problems.append(f"{name}: {path} shows {element.text!r}, its JSON {expected!r}")
    pdf = base64.b64decode(driver.print_page())
    if not pdf.startswith(b"%PDF"):
        problems.append(f"{name}: printing gave no PDF")
    return len(numbers)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--ascent", required=True)
    parser.add_argument("--data", required=True)
    args = parser.parse_args()
    driver = browser()
    if driver is None:
        if os.environ.get("CI"):
            print("report_page_check: chromium, chromedriver or selenium missing under CI")
            return 1
        print("report_page_check: skipped, chromium, chromedriver or python3-selenium is not "
              "installed (bash tools/deps.sh test)")
        return 77
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        run = lambda *words: subprocess.run([args.ascent, *words], cwd=folder, check=False,
                                            capture_output=True, text=True, timeout=240)
        for name in ("dispersions.toml", "s1.dat"):
            shutil.copy(os.path.join(args.data, name), folder)
        flown = run("dispersions", "dispersions.toml", "--thrust", "s1.dat", "--runs", "200",
                    "--seed", "1", "--turn-time", "18", "--jobs", "2", "--csv", "run.csv",
                    "--json", "--require", "perigee_m>=150km", "--require",
                    "remaining_propellant_kg>=0", "--report", "flown.html")
        studied = run("sensitivity", "dispersions.toml", "--thrust", "s1.dat", "--runs", "4",
                      "--seed", "1", "--turn-time", "18", "--jobs", "2", "--csv", "design.csv",
                      "--resamples", "100", "--json", "--report", "design-flown.html")
        remade = run("report", "run.csv", "--html", "page.html")
        design = run("report", "design.csv", "--resamples", "100", "--html", "design.html")
        for name, result in (("dispersions", flown), ("sensitivity", studied),
                             ("report", remade), ("report of the design", design)):
            if result.returncode not in (0, 1) or result.returncode == 1 and name != "dispersions":
                print(f"{name} ended with {result.returncode}: {result.stderr}")
                return 1
        cases = (("flown.html", flown.stdout), ("page.html", flown.stdout),
                 ("design-flown.html", studied.stdout), ("design.html", studied.stdout))
        try:
            for page, printed in cases:
                page = os.path.join(folder, page)
                if embedded(page) != printed.rstrip("\n"):
                    problems.append(f"{os.path.basename(page)}: the embedded JSON is not --json's")
                if check_page(driver, page, printed, problems) < 10:
                    problems.append(f"{os.path.basename(page)}: fewer than 10 numbers")
        finally:
            driver.quit()
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
