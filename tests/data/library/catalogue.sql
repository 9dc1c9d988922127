-- A small catalogue for the library window's tests; the tests fix today at
-- 2024-06-01 12:00. One statement per line group, separated by semicolons.
insert into books (id, title, author, type, added, isofiles) values
  ('C1001', 'Zebrans sång', 'Karin Ek', 'AUDIO', '2024-05-01 10:00:00', 'C1001.iso'),
  ('C1002', 'Äppelträdet', 'Lars Berg', 'AUDIO', '2024-05-03 09:00:00', 'C1002.iso'),
  ('C1003', 'alfa och omega', 'Maja Holm', 'AUDIO', '2024-05-02 10:00:00', 'C1003.iso'),
  ('C1004', 'Alfa och Omega', 'Per Lund', 'AUDIO', '2024-04-20 08:00:00', 'C1004.iso'),
  ('C1005', 'Bokstäver', 'Eva Nord', 'AUDIO', '2024-05-02 23:00:00', 'C1005.iso'),
  ('C1006', 'Åren som gick', 'Olle Sten', 'AUDIO', '2024-05-30 07:00:00', 'C1006.iso'),
  ('C1007', 'Zebra', 'Karin Ek', 'AUDIO', '2024-04-01 12:00:00', 'C1007.iso'),
  ('C1008', '_understreck', 'Ture Vik', 'AUDIO', '2024-03-01 12:00:00', 'C1008.iso');
insert into productions (id, produced, copies, fromLibrary) values
  ('C1001', '2024-05-20 08:00:00', 2, 1),
  ('C1001', '2024-05-25 17:00:00', 1, 1),
  ('C1002', '2024-05-25 09:30:00', 3, 1),
  ('C1003', '2024-04-01 12:00:00', 1, 1),
  ('C1004', '2024-05-28 10:00:00', 1, 1),
  ('C1005', '2024-03-15 15:00:00', 1, 0),
  ('C1007', '2024-05-10 11:00:00', 4, 1),
  ('C1008', '2024-02-01 09:00:00', 1, 1);
