// The registrations dashboard: reads the admin API with the token of this tab
// and draws the figures, refreshing itself every few seconds.
//
// Every text that comes from the server (answers, names, countries) is
// written with textContent or drawn on a canvas, never parsed as markup: it
// was typed by players.
'use strict';

(function () {
  const REFRESH_MS = 5000;
  const TOKEN_KEY = 'registrations-token';
  const number = new Intl.NumberFormat('en-US');

  const $ = (id) => document.getElementById(id);
  const charts = new Map(); // figure id -> { chart, table }
  let token = null;
  let timer = null;
  let refreshes = 0;
  let sectionsLoaded = false;
  let generation = 0; // answers of an older refresh are dropped

  // The token comes from the fragment (never sent to the server) or from this
  // tab's storage; the fragment is removed once read so it does not linger
  // in the address bar.
  function takeToken() {
    const match = /(?:^#|&)token=([^&]*)/.exec(location.hash);
    if (match) {
      sessionStorage.setItem(TOKEN_KEY, decodeURIComponent(match[1]));
      history.replaceState(null, '', location.pathname + location.search);
    }
    return sessionStorage.getItem(TOKEN_KEY);
  }

  function showLogin(message) {
    token = null;
    sessionStorage.removeItem(TOKEN_KEY);
    clearTimeout(timer);
    $('board').hidden = true;
    $('controls').hidden = true;
    $('login').hidden = false;
    $('login-message').textContent = message;
    $('token').focus();
  }

  class Refused extends Error {}

  async function get(path, params) {
    const query = new URLSearchParams(params).toString();
    const response = await fetch('api/' + path + (query ? '?' + query : ''), {
      headers: { Authorization: 'Bearer ' + token },
      cache: 'no-store',
    });
    if (response.status === 401) throw new Refused();
    if (!response.ok) throw new Error(path + ': HTTP ' + response.status);
    return response;
  }

  const getJson = async (path, params) => (await get(path, params)).json();

  function utcDay(date) { return date.toISOString().slice(0, 10); }

  // The selected period as inclusive UTC days; an empty object is all time.
  function period() {
    const choice = $('period').value;
    if (choice === 'all') return {};
    if (choice === 'custom') {
      const range = {};
      if ($('from').value) range.from = $('from').value;
      if ($('to').value) range.to = $('to').value;
      return range;
    }
    const days = Number(choice);
    const today = new Date();
    const first = new Date(today.getTime() - (days - 1) * 86400000);
    return { from: utcDay(first), to: utcDay(today) };
  }

  function periodText() {
    const select = $('period');
    if (select.value !== 'custom') return select.options[select.selectedIndex].text.toLowerCase();
    const range = period();
    return (range.from || 'the first') + ' to ' + (range.to || 'today');
  }

  // A figure holds the canvas and, for screen readers, the same numbers as a
  // table.
  function ensureChart(figure, kind, horizontal) {
    let entry = charts.get(figure.id);
    if (entry) return entry;
    const plot = document.createElement('div');
    plot.className = 'plot';
    const canvas = document.createElement('canvas');
    canvas.setAttribute('role', 'img');
    const title = figure.querySelector('figcaption').textContent;
    canvas.setAttribute('aria-label', title + ' (the numbers follow as a table)');
    plot.appendChild(canvas);
    const table = document.createElement('table');
    table.className = 'sr-only numbers';
    const caption = table.createCaption();
    caption.textContent = title;
    const head = table.createTHead().insertRow();
    for (const text of [kind === 'line' ? 'Day' : 'Answer', 'Registrations']) {
      const th = document.createElement('th');
      th.scope = 'col';
      th.textContent = text;
      head.appendChild(th);
    }
    table.createTBody();
    figure.appendChild(plot);
    figure.appendChild(table);
    const chart = new Chart(canvas, {
      type: kind,
      data: { labels: [], datasets: [{ data: [], backgroundColor: '#2f6fb5', borderColor: '#2f6fb5',
                                      tension: 0.2, pointRadius: 2 }] },
      options: {
        animation: false,
        responsive: true,
        maintainAspectRatio: false,
        indexAxis: horizontal ? 'y' : 'x',
        plugins: { legend: { display: false } },
        scales: {
          x: { beginAtZero: true, ticks: { precision: 0, autoSkip: true } },
          y: { beginAtZero: true, ticks: { precision: 0, autoSkip: !horizontal } },
        },
      },
    });
    entry = { chart, table, plot, horizontal };
    charts.set(figure.id, entry);
    return entry;
  }

  function fill(figure, kind, labels, counts, horizontal) {
    const entry = ensureChart(figure, kind, horizontal);
    if (horizontal) entry.plot.style.height = Math.max(120, 26 * labels.length + 50) + 'px';
    entry.chart.data.labels = labels;
    entry.chart.data.datasets[0].data = counts;
    entry.chart.update('none');
    const body = entry.table.tBodies[0];
    const rows = labels.map((label, i) => {
      const row = document.createElement('tr');
      const th = document.createElement('th');
      th.scope = 'row';
      th.textContent = label;
      const td = document.createElement('td');
      td.className = 'num';
      td.textContent = String(counts[i]);
      row.append(th, td);
      return row;
    });
    body.replaceChildren(...rows);
  }

  function drawQuestions(data) {
    const holder = $('questions');
    const seen = new Set();
    $('answers-note').textContent = data.questions.length
      ? 'Answers of registrations received ' + periodText() + ', labelled with the texts of the chosen section.'
      : 'No answers to chart: the service was started without a configuration (--config), so it cannot tell which answer belongs to which question.';
    for (const q of data.questions) {
      const id = 'q-' + q.page + '-' + q.id;
      seen.add(id);
      let figure = document.getElementById(id);
      if (!figure) {
        figure = document.createElement('figure');
        figure.className = 'card';
        figure.id = id;
        figure.dataset.kind = q.kind;
        figure.appendChild(document.createElement('figcaption'));
        const detail = document.createElement('p');
        detail.className = 'detail';
        figure.appendChild(detail);
        holder.appendChild(figure);
      }
      figure.querySelector('figcaption').textContent = q.title;
      let detail = q.answered ? number.format(q.answered) + ' answered' : 'No answers in this period';
      if (q.answered && q.kind === 'text') detail += '; the ' + q.labels.length + ' most frequent answers';
      if (q.answered && q.kind === 'date') detail += '; per year';
      figure.querySelector('.detail').textContent = detail;
      fill(figure, 'bar', q.labels, q.counts, q.kind !== 'date');
      // A question nobody answered shows its line of text, not an empty chart.
      charts.get(id).plot.hidden = q.labels.length === 0;
    }
    for (const figure of Array.from(holder.children)) {
      if (!seen.has(figure.id)) {
        const entry = charts.get(figure.id);
        if (entry) entry.chart.destroy();
        charts.delete(figure.id);
        figure.remove();
      }
    }
  }

  function drawLatest(data) {
    const rows = data.rows.map((r) => {
      const row = document.createElement('tr');
      for (const [text, cls] of [[r.number, 'num'], [r.received], [r.name], [r.email], [r.country],
                                 [r.language], [r.game]]) {
        const td = document.createElement('td');
        if (cls) td.className = cls;
        td.textContent = text === undefined || text === null ? '' : String(text);
        row.appendChild(td);
      }
      return row;
    });
    $('latest').tBodies[0].replaceChildren(...rows);
  }

  async function loadSections() {
    const data = await getJson('sections');
    const select = $('section');
    const chosen = select.value;
    select.replaceChildren(...data.sections.map((s) => new Option(s.label, s.key)));
    if (chosen && data.sections.some((s) => s.key === chosen)) select.value = chosen;
    select.closest('label').hidden = data.sections.length === 0;
    sectionsLoaded = true;
  }

  async function refresh() {
    clearTimeout(timer);
    const mine = ++generation;
    try {
      if (!sectionsLoaded) await loadSections();
      const range = period();
      const withSection = Object.assign({ section: $('section').value }, range);
      const [summary, days, countries, languages, questions, latest] = await Promise.all([
        getJson('summary', range), getJson('days', range), getJson('countries', range),
        getJson('languages', range), getJson('questions', withSection), getJson('latest'),
      ]);
      if (mine !== generation) return;
      $('total-all').textContent = number.format(summary.total);
      $('total-today').textContent = number.format(summary.today);
      $('total-week').textContent = number.format(summary.last7);
      $('total-period').textContent = number.format(summary.period);
      $('total-period-caption').textContent = periodText();
      fill($('chart-days'), 'line', days.labels, days.counts, false);
      fill($('chart-countries'), 'bar', countries.labels, countries.counts, true);
      fill($('chart-languages'), 'bar', languages.labels, languages.counts, true);
      drawQuestions(questions);
      drawLatest(latest);
      refreshes += 1;
      document.body.dataset.refreshes = String(refreshes);
      $('status').className = 'status';
      $('status').textContent = 'Updated ' + new Date().toISOString().slice(11, 19) + ' UTC';
    } catch (error) {
      if (mine !== generation) return;
      if (error instanceof Refused) {
        showLogin('The token was refused. Please enter it again.');
        return;
      }
      $('status').className = 'status error';
      $('status').textContent = 'Update failed (' + error.message + '); trying again.';
    }
    timer = setTimeout(refresh, REFRESH_MS);
  }

  function start() {
    $('login').hidden = true;
    $('controls').hidden = false;
    $('board').hidden = false;
    refresh();
  }

  async function download() {
    const range = period();
    try {
      const blob = await (await get('export.csv', range)).blob();
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = 'registrations-' + (range.from || 'first') + '-to-' + (range.to || utcDay(new Date())) + '.csv';
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    } catch (error) {
      if (error instanceof Refused) showLogin('The token was refused. Please enter it again.');
      else $('status').textContent = 'Download failed (' + error.message + ').';
    }
  }

  document.addEventListener('DOMContentLoaded', () => {
    $('period').addEventListener('change', () => {
      $('custom-range').hidden = $('period').value !== 'custom';
      refresh();
    });
    $('from').addEventListener('change', refresh);
    $('to').addEventListener('change', refresh);
    $('section').addEventListener('change', refresh);
    $('download').addEventListener('click', download);
    $('login').addEventListener('submit', (event) => {
      event.preventDefault();
      token = $('token').value.trim();
      $('token').value = '';
      if (!token) return;
      sessionStorage.setItem(TOKEN_KEY, token);
      start();
    });
    token = takeToken();
    if (token) start();
    else showLogin('This dashboard needs its access token.');
  });
})();
