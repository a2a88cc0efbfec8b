title: Free real-time news titles
<style>
body { font: 10px Verdana, Arial, sans-serif; margin: 3px; background: #eef4fb; }
h4 { margin: 0 0 3px; font-size: 11px; color: #1f3f6f; }
ul { margin: 0; padding-left: 14px; }
a { color: #1f3f6f; }
</style>
---
<h4>FREE Charts &amp; RT News</h4>
<ul>
<li><a href="/news/0020.html" target="_blank">Сбербанк: рекордная прибыль за квартал</a></li>
<li><a href="/news/0019.html" target="_blank">Apple shares climb ahead of developer conference</a></li>
<li><a href="/news/0017.html" target="_blank">S&amp;P 500 ends the week at a record high</a></li>
<li><a href="/news/0015.html" target="_blank">Nvidia extends rally on data-centre demand</a></li>
</ul>
