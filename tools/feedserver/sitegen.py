#!/usr/bin/env python3
"""Generates the bundled feed server's news feed, chart images and article pages.

    sitegen.py build SITE_DIR
        Rewrites the generated part of the site folder: feeds/messenger4.xml.win-1251
        (an RSS 2.0 document in windows-1251), charts/<SYMBOL>.png (86 x 60 charts)
        news/<id>.html (one page per article), and the pages kept in pages/ (the
        index, banner, chart, download and channel pages), each through the one page
        template. The other files of the site folder are left alone.

    sitegen.py publish SITE_DIR TITLE SYMBOL DESCRIPTION [--author NAME]
        Adds a new item at the top of the feed in SITE_DIR, with its article page and,
        for a symbol without one, a chart image.

Only the standard library is used: PNG files are written with zlib and struct.
The committed site uses the base URL http://127.0.0.1:8421; tools/feedserver/start
rewrites it in the served copy when the server listens on another port.
"""

import argparse
import datetime
import email.utils
import html
import os
import random
import re
import struct
import sys
import tempfile
import urllib.parse
import zlib

BASE_URL = "http://127.0.0.1:8421"
FEED_PATH = "feeds/messenger4.xml.win-1251"
FEED_ENCODING = "windows-1251"
CHART_WIDTH = 86
CHART_HEIGHT = 60
# Symbols the charts page and the chart files accept; the nginx config uses the same rule.
SYMBOL_RULE = re.compile(r"^[A-Za-z0-9][A-Za-z0-9._-]{0,31}$")

RU = "Редакция Quarlen"
EN = "Quarlen Newsdesk"

# The articles of the feed, newest first: id, symbol, title, description, author, date.
ARTICLES = [
    ("0020", "SBER", "Сбербанк отчитался о рекордной чистой прибыли за квартал",
     "Чистая прибыль банка по МСФО выросла на 12% год к году; аналитики ждут повышения дивидендов.",
     RU, (2024, 5, 6, 9, 30)),
    ("0019", "AAPL", "Apple shares climb ahead of developer conference",
     "The stock rose 2.1% in early trade as investors priced in new software announcements.",
     "John Carter", (2024, 5, 6, 8, 45)),
    ("0018", "GAZP", "«Газпром» сократил экспорт газа в апреле",
     "Поставки в дальнее зарубежье снизились на 8% по сравнению с мартом.",
     "Анна Смирнова", (2024, 5, 6, 7, 10)),
    ("0017", "SPY", "S&P 500 ends the week at a record high",
     "Technology and financials led the advance;\nvolume was 15% above the 30-day average.",
     EN, (2024, 5, 5, 21, 5)),
    ("0016", "LKOH", "ЛУКОЙЛ объявил программу обратного выкупа акций",
     "Компания направит на выкуп до 150 млрд рублей в течение двух лет.",
     RU, (2024, 5, 5, 16, 20)),
    ("0015", "NVDA", "Nvidia extends rally on data-centre demand",
     "Shares added 3.4% after two brokers raised their price targets.",
     EN, (2024, 5, 5, 14, 0)),
    ("0014", "YNDX", "Яндекс запускает новый облачный сервис для бизнеса",
     "Сервис позволит компаниям разворачивать базы данных за несколько минут.",
     "Игорь Волков", (2024, 5, 5, 11, 35)),
    ("0013", "UNREF", "Календарь недели: решения центробанков и данные по инфляции",
     "Главные события: заседания ФРС и Банка Англии, индекс потребительских цен в США и Китае.",
     RU, (2024, 5, 5, 9, 0)),
    ("0012", "MSFT", "Microsoft raises quarterly dividend by 10%",
     "The board also approved a new share buyback programme of up to $60 billion.",
     "Mary Lewis", (2024, 5, 4, 20, 15)),
    ("0011", "GMKN", "«Норникель»: производство никеля выросло на 3%",
     "Выпуск палладия остался на уровне прошлого года, прогноз на год подтверждён.",
     RU, (2024, 5, 4, 15, 40)),
    ("0010", "EURUSD", "Euro slips against the dollar after weak PMI data",
     "The single currency fell to 1.0710 as manufacturing activity shrank for a tenth month.",
     EN, (2024, 5, 4, 12, 25)),
    ("0009", "ROSN", "Роснефть подписала соглашение о поставках нефти в Индию",
     "Контракт рассчитан на год и предусматривает поставки до 2 млн баррелей в месяц.",
     "Анна Смирнова", (2024, 5, 4, 10, 5)),
    ("0008", "TSLA", "Tesla recalls 120,000 vehicles over seat-belt warning",
     "The fix is a software update that owners can install at home.",
     "John Carter", (2024, 5, 3, 22, 50)),
    ("0007", "BRENT", "Нефть Brent подорожала до $84 за баррель",
     "Рынок отыгрывает сокращение запасов в США — минус 3,6 млн баррелей за неделю.",
     RU, (2024, 5, 3, 17, 30)),
    ("0006", "AMZN", "Amazon Web Services opens a new region in Europe",
     "The region starts with three availability zones and is the company's ninth in Europe.",
     EN, (2024, 5, 3, 13, 10)),
    ("0005", "MTSS", "МТС увеличила абонентскую базу на 1,2 млн человек",
     "Выручка оператора за квартал выросла на 9%, до 160 млрд рублей.",
     "Игорь Волков", (2024, 5, 3, 9, 45)),
    ("0004", "GOLD", "Gold holds near $2,300 as traders await Fed minutes",
     "Spot gold was little changed; silver gained 0.6%.",
     "Mary Lewis", (2024, 5, 2, 19, 0)),
    ("0003", "QQQQ", "Nasdaq-100 fund sees record weekly inflows",
     "Investors added $4.1 billion, the most since the fund was launched.",
     EN, (2024, 5, 2, 15, 20)),
    ("0002", "MOEX", "Индекс Мосбиржи закрылся ростом на 1,4% — максимум с февраля",
     "Лидерами роста стали акции банков и металлургических компаний.",
     RU, (2024, 5, 2, 12, 0)),
    ("0001", "IBM", "IBM to buy software maker for $6.4 billion",
     "The all-cash deal is expected to close by the end of the year.",
     EN, (2024, 5, 2, 8, 30)),
]

# ---------------------------------------------------------------------------
# PNG writing

def png_bytes(width, height, rows):
    """A truecolour PNG from rows of (r, g, b) tuples."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type None
        for r, g, b in row:
            raw += bytes((r, g, b))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))

# A 3 x 5 pixel font for the symbol label: each glyph is five rows of three bits.
FONT = {
    "A": (2, 5, 7, 5, 5), "B": (6, 5, 6, 5, 6), "C": (3, 4, 4, 4, 3), "D": (6, 5, 5, 5, 6),
    "E": (7, 4, 6, 4, 7), "F": (7, 4, 6, 4, 4), "G": (3, 4, 5, 5, 3), "H": (5, 5, 7, 5, 5),
    "I": (7, 2, 2, 2, 7), "J": (1, 1, 1, 5, 2), "K": (5, 5, 6, 5, 5), "L": (4, 4, 4, 4, 7),
    "M": (5, 7, 7, 5, 5), "N": (5, 7, 7, 7, 5), "O": (2, 5, 5, 5, 2), "P": (6, 5, 6, 4, 4),
    "Q": (2, 5, 5, 6, 3), "R": (6, 5, 6, 5, 5), "S": (3, 4, 2, 1, 6), "T": (7, 2, 2, 2, 2),
    "U": (5, 5, 5, 5, 7), "V": (5, 5, 5, 5, 2), "W": (5, 5, 7, 7, 5), "X": (5, 5, 2, 5, 5),
    "Y": (5, 5, 2, 2, 2), "Z": (7, 1, 2, 4, 7), "0": (7, 5, 5, 5, 7), "1": (2, 6, 2, 2, 7),
    "2": (6, 1, 2, 4, 7), "3": (6, 1, 2, 1, 6), "4": (5, 5, 7, 1, 1), "5": (7, 4, 6, 1, 6),
    "6": (3, 4, 7, 5, 7), "7": (7, 1, 2, 2, 2), "8": (7, 5, 7, 5, 7), "9": (7, 5, 7, 1, 6),
    ".": (0, 0, 0, 0, 2), "-": (0, 0, 7, 0, 0), "_": (0, 0, 0, 0, 7),
}

WHITE = (255, 255, 255)
GRID = (225, 232, 240)
FRAME = (150, 160, 175)
LABEL = (40, 45, 60)
UP = (20, 140, 60)
DOWN = (200, 40, 40)
FILL_UP = (215, 240, 222)
FILL_DOWN = (248, 220, 220)


def chart_rows(symbol):
    """An 86 x 60 price chart: a random walk seeded by the symbol, so every run draws
    the same picture, with the symbol in the top left corner."""
    w, h = CHART_WIDTH, CHART_HEIGHT
    px = [[WHITE] * w for _ in range(h)]
    for y in range(12, h - 1, 12):
        for x in range(1, w - 1):
            px[y][x] = GRID
    for x in range(14, w - 1, 14):
        for y in range(1, h - 1):
            px[y][x] = GRID

    rnd = random.Random(zlib.crc32(symbol.encode("utf-8")))
    prices = [100.0]
    for _ in range(w - 5):
        prices.append(prices[-1] * (1 + rnd.gauss(0.0005, 0.02)))
    lo, hi = min(prices), max(prices)
    top, bottom = 10, h - 4
    span = (hi - lo) or 1.0
    ys = [round(bottom - (p - lo) / span * (bottom - top)) for p in prices]
    line, fill = (UP, FILL_UP) if prices[-1] >= prices[0] else (DOWN, FILL_DOWN)
    for i, y in enumerate(ys):
        x = i + 2
        for yy in range(y + 1, h - 1):
            if px[yy][x] == WHITE:
                px[yy][x] = fill
        prev = ys[i - 1] if i else y
        for yy in range(min(prev, y), max(prev, y) + 1):
            px[yy][x] = line

    cx = 3
    for ch in symbol.upper()[:12]:
        glyph = FONT.get(ch)
        if glyph is None:
            cx += 4
            continue
        for gy, bits in enumerate(glyph):
            for gx in range(3):
                if bits & (4 >> gx) and cx + gx < w - 1:
                    px[2 + gy][cx + gx] = LABEL
        cx += 4

    for x in range(w):
        px[0][x] = px[h - 1][x] = FRAME
    for y in range(h):
        px[y][0] = px[y][w - 1] = FRAME
    return px


def chart_png(symbol):
    return png_bytes(CHART_WIDTH, CHART_HEIGHT, chart_rows(symbol))

# ---------------------------------------------------------------------------
# Feed and pages

def ticker_text(base, symbol):
    """The item's ticker: the percent-encoded chart URL, the symbol between its last
    "%3D" and "%26chartstyle"."""
    url = f"{base}/charts/chart.php?size=86x60&symbol={symbol}&chartstyle=line"
    return urllib.parse.quote(url, safe="")


def rfc822(when):
    return email.utils.format_datetime(when, usegmt=True)


def item_xml(base, article_id, symbol, title, description, author, when):
    e = html.escape
    return (
        "    <item>\n"
        f"      <title>{e(title, quote=False)}</title>\n"
        f"      <link>{base}/news/{article_id}.html</link>\n"
        f"      <description>{e(description, quote=False)}</description>\n"
        f"      <author>{e(author, quote=False)}</author>\n"
        f"      <pubDate>{rfc822(when)}</pubDate>\n"
        f"      <guid isPermaLink=\"false\">quarlen-{article_id}</guid>\n"
        f"      <ticker>{ticker_text(base, symbol)}</ticker>\n"
        "    </item>\n")


def feed_xml(base, items_xml, built):
    return (
        f'<?xml version="1.0" encoding="{FEED_ENCODING}"?>\n'
        '<rss version="2.0">\n'
        "  <channel>\n"
        "    <title>Quarlen Messenger News</title>\n"
        f"    <link>{base}/</link>\n"
        "    <description>Новости рынков и котировки — Market news and charts</description>\n"
        "    <language>ru</language>\n"
        f"    <lastBuildDate>{rfc822(built)}</lastBuildDate>\n"
        + "".join(items_xml) +
        "  </channel>\n"
        "</rss>\n")


def encode_feed(text):
    # Characters outside the code page become character references, which the
    # document's XML parser turns back into the same characters.
    return text.encode(FEED_ENCODING, errors="xmlcharrefreplace")


def page(title, style, body, lang="en"):
    """The one page template of the site: every page, generated or written by hand,
    is this head around its own style and body. title is HTML-escaped; style and
    body are HTML already."""
    return (f"<!DOCTYPE html>\n<html lang=\"{lang}\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{html.escape(title)}</title>\n{style}\n</head>\n<body>\n{body}</body>\n</html>\n")


def article_page(base, symbol, title, description, author, when):
    e = html.escape
    return page(
        title,
        "<style>body{font-family:Verdana,Arial,sans-serif;margin:2em;max-width:40em}"
        "img{border:1px solid #99a}</style>",
        f"<h1>{e(title)}</h1>\n"
        f"<p><small>{e(author)} &middot; {e(rfc822(when))}</small></p>\n"
        f"<p><img src=\"{base}/charts/{e(symbol)}.png\" width=\"86\" height=\"60\" alt=\"{e(symbol)}\"> "
        f"<b>{e(symbol)}</b></p>\n"
        f"<p>{e(description)}</p>\n"
        f"<p><a href=\"{base}/\">Quarlen Messenger News</a></p>\n",
        lang="ru")


def written_pages(pages_dir):
    """The pages written by hand, from pages/: each file is a "title: ..." line,
    the page's <style> element, a "---" line and the body. Yields (path, html)."""
    for folder, _, names in sorted(os.walk(pages_dir)):
        for name in sorted(names):
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8") as f:
                text = f.read()
            head, _, body = text.partition("\n---\n")
            first, _, style = head.partition("\n")
            if not first.startswith("title: ") or not style.startswith("<style>"):
                raise SystemExit(f"sitegen: {path} does not start with a title line and a <style> element")
            yield os.path.relpath(path, pages_dir), page(first[len("title: "):], style, body)


def write_file(path, data):
    """Writes through a temporary file in the same folder and a rename, so the server
    never serves half a file."""
    folder = os.path.dirname(path)
    os.makedirs(folder, exist_ok=True)
    fd, tmp = tempfile.mkstemp(dir=folder, prefix=".tmp-")
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.chmod(tmp, 0o644)
        os.replace(tmp, path)
    except BaseException:
        if os.path.exists(tmp):
            os.unlink(tmp)
        raise


def utc(parts):
    return datetime.datetime(*parts, tzinfo=datetime.timezone.utc)


PAGES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pages")


def build(site):
    items = []
    symbols = {"QQQQ", "UNREF"}
    for article_id, symbol, title, description, author, when in ARTICLES:
        items.append(item_xml(BASE_URL, article_id, symbol, title, description, author, utc(when)))
        write_file(os.path.join(site, "news", f"{article_id}.html"),
                   article_page(BASE_URL, symbol, title, description, author, utc(when)).encode("utf-8"))
        symbols.add(symbol)
    built = utc(ARTICLES[0][5])
    write_file(os.path.join(site, FEED_PATH), encode_feed(feed_xml(BASE_URL, items, built)))
    for symbol in sorted(symbols):
        write_file(os.path.join(site, "charts", f"{symbol}.png"), chart_png(symbol))
    for path, text in written_pages(PAGES_DIR):
        write_file(os.path.join(site, path), text.encode("utf-8"))


def publish(site, title, symbol, description, author):
    if not SYMBOL_RULE.match(symbol):
        raise SystemExit(f"publish: '{symbol}' is not a symbol (letters, digits, '.', '-', '_'; up to 32)")
    feed_path = os.path.join(site, FEED_PATH)
    with open(feed_path, "rb") as f:
        text = f.read().decode(FEED_ENCODING)
    # The channel's own link is the first link of the document; it carries the base
    # URL the server was started with.
    m = re.search(r"<link>(.*?)</link>", text)
    base = m.group(1).rstrip("/") if m else BASE_URL
    now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
    article_id = now.strftime("%Y%m%d%H%M%S") + "-" + symbol.lower()
    n = 1
    while os.path.exists(os.path.join(site, "news", f"{article_id}.html")):
        n += 1
        article_id = now.strftime("%Y%m%d%H%M%S") + f"-{n}-" + symbol.lower()

    new_item = item_xml(base, article_id, symbol, title, description, author, now)
    at = text.find("<item>")
    if at >= 0:
        at = text.rfind("\n", 0, at) + 1
    else:
        at = text.find("  </channel>")
        if at < 0:
            raise SystemExit(f"publish: {feed_path} has no channel")
    text = text[:at] + new_item + text[at:]
    text = re.sub(r"<lastBuildDate>.*?</lastBuildDate>",
                  f"<lastBuildDate>{rfc822(now)}</lastBuildDate>", text, count=1)

    chart = os.path.join(site, "charts", f"{symbol}.png")
    if not os.path.exists(chart):
        write_file(chart, chart_png(symbol))
    write_file(os.path.join(site, "news", f"{article_id}.html"),
               article_page(base, symbol, title, description, author, now).encode("utf-8"))
    write_file(feed_path, encode_feed(text))
    return f"{base}/news/{article_id}.html"


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    sub = parser.add_subparsers(dest="command", required=True)
    b = sub.add_parser("build", help="rewrite the feed, the charts and the article pages")
    b.add_argument("site")
    p = sub.add_parser("publish", help="add an item at the top of the feed")
    p.add_argument("site")
    p.add_argument("title")
    p.add_argument("symbol")
    p.add_argument("description")
    p.add_argument("--author", default=EN)
    args = parser.parse_args(argv)
    if args.command == "build":
        build(args.site)
    else:
        print(publish(args.site, args.title, args.symbol, args.description, args.author))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
