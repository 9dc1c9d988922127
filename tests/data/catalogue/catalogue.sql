-- Titles for the catalogue view: two books with productions, one without,
-- a movie, and two rows without a title that the view leaves out.
INSERT INTO books (id, title, author, duration, date, type, rmf, isofiles, size, added) VALUES ('C1002', 'Hemsöborna', 'A. Författare', '3600', 45000.0, 'AUDIO', 'rmf text', 'C1002.iso' || char(13) || char(10), 2048, '2024-01-01 10:00:00');
INSERT INTO books (id, title, author, duration, date, type, rmf, isofiles, size, added) VALUES ('C1001', 'Röda rummet', 'B. Författare', '45296', 44000.5, 'AUDIO', 'rmf text', 'C1001.iso' || char(13) || char(10), 1048576, '2024-01-02 10:00:00');
INSERT INTO books (id, title, author, duration, type, rmf, isofiles, size) VALUES ('C1003', 'Fadren', 'C. Författare', '59', 'AUDIO', '', 'C1003.iso' || char(13) || char(10), 0);
INSERT INTO books (id, title, author, duration, type, isofiles) VALUES ('V123', 'Teckenfilm', '', '1899-12-30 01:23:45', 'MOVIE', '/ZeltMovies/V123/V123.ISO' || char(13) || char(10));
INSERT INTO books (id, title, type) VALUES ('C1004', '', 'AUDIO');
INSERT INTO books (id, title, type) VALUES ('C1005', NULL, 'AUDIO');
INSERT INTO productions (id, produced, copies, fromLibrary) VALUES ('C1001', '2023-11-02 09:15:00', 2, 1);
INSERT INTO productions (id, produced, copies, fromLibrary) VALUES ('C1001', '2024-01-20 14:40:10', 3, 0);
INSERT INTO productions (id, produced, copies, fromLibrary) VALUES ('C1002', '2024-02-01 08:00:00', 1, 1);
INSERT INTO productions (id, produced, copies, fromLibrary) VALUES ('V123', '2024-03-05 17:05:59', 4, 1);
INSERT INTO productions (id, produced, copies, fromLibrary) VALUES ('C1004', '2024-03-06 10:00:00', 9, 1);
