// The review's evaluation graph, drawn by Chart.js: White's winning chances
// (0 to 100 %) after every move, the area above and below the even line
// filled in White's and Black's colours, flagged moves marked by their
// judgement's colour, the position shown marked. A click near a point
// selects that position (onSelect(ply), ply 0 being the start).
import { CategoryScale, Chart, Filler, LinearScale, LineController, LineElement, PointElement, Tooltip }
  from 'chart.js';
import { winPercent } from './review.js';

Chart.register(CategoryScale, Filler, LinearScale, LineController, LineElement, PointElement, Tooltip);

const COLOURS = { blunder: '#c21807', mistake: '#e07b00', inaccuracy: '#c9a800' };
const LINE = '#6b5a40';

export function createEvalChart(container, { onSelect }) {
  const canvas = document.createElement('canvas');
  canvas.setAttribute('role', 'img');
  canvas.setAttribute('aria-label', 'Evaluation graph');
  container.replaceChildren(canvas);
  let judgements = [];
  let selected = -1;
  const colour = (ply) => (ply === selected ? '#2a62c9' : COLOURS[judgements[ply]] ?? LINE);
  const radius = (ply) => (ply === selected ? 5 : judgements[ply] ? 4 : 1.5);
  const chart = new Chart(canvas, {
    type: 'line',
    data: { labels: [], datasets: [{
      data: [],
      borderColor: LINE,
      borderWidth: 1.5,
      tension: 0.2,
      fill: { target: { value: 50 }, above: 'rgba(255, 255, 255, .9)', below: 'rgba(60, 60, 60, .85)' },
      pointBackgroundColor: (c) => colour(c.dataIndex),
      pointBorderColor: (c) => colour(c.dataIndex),
      pointRadius: (c) => radius(c.dataIndex),
      pointHoverRadius: 5,
    }] },
    options: {
      animation: false,
      responsive: true,
      maintainAspectRatio: false,
      interaction: { mode: 'nearest', axis: 'x', intersect: false },
      scales: {
        y: { min: 0, max: 100, ticks: { stepSize: 50, callback: (v) => `${v} %` }, grid: { color: (c) => (c.tick.value === 50 ? '#8b7355' : '#eee') } },
        x: { ticks: { maxTicksLimit: 12, autoSkip: true } },
      },
      plugins: {
        legend: { display: false },
        tooltip: { callbacks: { label: (c) => `White ${c.parsed.y.toFixed(0)} %${judgements[c.dataIndex] ? ` (${judgements[c.dataIndex]})` : ''}` } },
      },
      onClick: (event, elements) => {
        const [nearest] = elements.length ? elements : chart.getElementsAtEventForMode(event, 'nearest', { axis: 'x', intersect: false }, false);
        if (nearest) onSelect(nearest.index);
      },
      onHover: (event, elements) => { canvas.style.cursor = elements.length ? 'pointer' : 'default'; },
    },
  });
  return {
    // Per position: White's centipawns, the judgement of the move that led
    // to it (null for none), and its label ("12." after White's 12th move).
    update({ evals, judgements: marks, labels }) {
      judgements = marks;
      chart.data.labels = labels;
      chart.data.datasets[0].data = evals.map(winPercent);
      chart.update();
    },
    select(ply) {
      selected = ply;
      chart.update();
    },
    destroy: () => chart.destroy(),
  };
}
