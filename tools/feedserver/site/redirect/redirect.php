<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="referrer" content="no-referrer">
<title>Quarlen Messenger: opening the article</title>
<script>
// The program sends the article link form-encoded after "url=": "+" is a
// blank and %XX a byte of UTF-8. The link runs to the end of the query, since
// the program leaves an "&" in an article's path as it is.
function articleTarget(search) {
  var match = /(?:^\?|&)url=(.*)$/.exec(search);
  if (!match) return null;
  var text = match[1].replace(/\+/g, " ");
  var bytes = [];
  for (var i = 0; i < text.length; i++) {
    var hex = text.substr(i + 1, 2);
    if (text[i] === "%" && /^[0-9A-Fa-f]{2}$/.test(hex)) {
      bytes.push(parseInt(hex, 16));
      i += 2;
    } else {
      bytes.push.apply(bytes, Array.from(new TextEncoder().encode(text[i])));
    }
  }
  var link = new TextDecoder("utf-8").decode(new Uint8Array(bytes));
  // Only web pages: no script, file or data address, no control character.
  if (/[\u0000-\u001f\u007f]/.test(link)) return null;
  var url;
  try {
    url = new URL(link);
  } catch (e) {
    return null;
  }
  return url.protocol === "http:" || url.protocol === "https:" ? url.href : null;
}
var target = articleTarget(window.location.search);
if (target) {
  window.location.replace(target);
} else {
  document.addEventListener("DOMContentLoaded", function () {
    document.getElementById("refused").hidden = false;
  });
}
</script>
</head>
<body style="font-family: Verdana, sans-serif; font-size: small;">
<p id="refused" hidden>This link does not lead to a web page.</p>
<noscript><p>Opening an article needs JavaScript.</p></noscript>
</body>
</html>
